// Keeps the index current while it runs: every crawled folder is watched, the events of a short
// window are gathered, and then exactly the folders they name are refreshed through the crawler.
//
// Contract:
// - `start` refreshes the whole index once (unless the caller just did), then watches every
//   folder it holds and the extra sources. A root that is missing (or goes) is looked for by
//   every poll. Afterwards the index changes only through `runDue`, which the caller runs when
//   `nextDue` has come (time is passed in; nothing here sleeps or reads a clock).
// - A folder event refreshes that folder; a folder created or moved in is walked whole; a watched
//   folder deleted, moved away or replaced by a file is removed with its descendants (its parent
//   is refreshed). Moved trees keep their watches under their new names. A folder whose name
//   holds another folder now (one moved away and another moved in under its name, at any depth)
//   is walked whole and watched anew: every folder a refresh visits is watched as what is there.
// - Lost events (the kernel's queue overflowed) and more pending folders than
//   `maxPendingFolders` turn into one refresh of everything.
// - When the watch limit is reached, that is said once (with the sysctl that raises it), and the
//   folders left unwatched are refreshed every `pollMillis` instead; each poll tries to watch
//   them again.
// - An extra source is a folder or a file (its folder is watched, its events told by name); a
//   change runs its `refresh` in the same batch, after the folders. One whose folder cannot be
//   watched (missing, or the limit) is tried again by every poll and read when that succeeds.
// - After a batch that refreshed extra sources, `moreExtras` (when set) names the sources wanted
//   now (new Maildir folders): those whose path is not known yet are watched first and then
//   refreshed by the next batch, so nothing that arrived between the listing and the watch is
//   missed. Sources are never dropped; one whose folder went is looked for by the polls.
// - The name sidecar is kept by a NamesSchedule (names_schedule.h, with the `names*` settings):
//   every batch that changed the index tells it what changed, a folder batch inside its own
//   transaction; its failures are said as the batches' are.
// - With `held` set, every batch first checks that the database it writes is still the one at the
//   index's path (held_index.h); a replaced one is reopened and the batch refreshes everything.
// - A batch that fails (the index is busy or broken) is kept and tried again after
//   `retryMillis`; the failure is said when it differs from the last one. Nothing throws.
#pragma once

#include "index/crawl/crawl_fs.h"
#include "index/crawl/crawl_options.h"
#include "index/crawl/crawler.h"
#include "index/storage/names_overlay.h"
#include "index/watch/folder_tree.h"
#include "index/watch/held_index.h"
#include "index/watch/names_builder.h"
#include "index/watch/names_schedule.h"
#include "index/watch/pending_changes.h"
#include "index/watch/watch_source.h"

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace skimmer::index::watch {

struct ExtraSource {
    std::string path;                                // a folder, or one file
    std::function<store::Status(sqlite3*)> refresh;  // brings its items up to date
    std::string group;  // sources of one group (several files, one refresh) refresh once a batch; "" none
};

struct WatchSettings {
    int64_t coalesceMillis = 150;
    int64_t pollMillis = 60000;
    int64_t retryMillis = 2000;
    size_t maxPendingFolders = 20000;
    int64_t namesDelayMillis = 3000;
    int64_t namesMaxDelayMillis = 300000;
    int64_t namesCheckMillis = 100;
    size_t namesEarlyFolders = store::kMaxOverlayFolders / 2;  // a build begins at once past this
    // A build takes seconds at a million items; one that runs for minutes hangs.
    int64_t namesBuildMillis = 300000;
    int64_t namesBuildMillisPerMillion = 300000;
};

struct WatchContext {
    sqlite3* db = nullptr;
    const store::CrawlOptions* options = nullptr;
    store::CrawlFs* fs = nullptr;
    WatchSource* source = nullptr;
    std::function<bool(sqlite3*)> rebuildNames;  // builds the name sidecar inline; true when it is current
    NamesBuilder* namesBuilder = nullptr;        // builds it beside the batches; wins over rebuildNames
    std::function<void(const std::string&)> say;
    std::vector<ExtraSource> extras;
    std::function<std::vector<ExtraSource>()> moreExtras;  // the sources wanted now; may be unset
    WatchSettings settings;
    HeldIndex* held = nullptr;  // when set, `db` follows it
};

struct WatchCounters {
    int64_t batches = 0;          // batches that ran
    int64_t fullRefreshes = 0;    // the first one included
    int64_t foldersRefreshed = 0; // folders named by batches
    int64_t polls = 0;            // refreshes of unwatched folders
    int64_t overlays = 0;         // names overlays written (NamesCounters)
    int64_t namesRebuilds = 0;    // name sidecar builds begun (NamesCounters)
    int64_t reopens = 0;          // the database found replaced and opened again
    int64_t namesStopped = 0;     // name sidecar builds stopped for running past their deadline (NamesCounters)
};

class Watcher {
public:
    explicit Watcher(WatchContext context);
    Watcher(const Watcher&) = delete;  // the inline builder refers to this object
    Watcher& operator=(const Watcher&) = delete;

    store::Status start(int64_t now, bool refreshFirst = true);
    void take(const std::vector<WatchEvent>& events, int64_t now);
    int64_t nextDue() const;
    // `namesReady`: namesFd() was found readable.
    store::Status runDue(int64_t now, bool namesReady = false);

    // Readable when a name sidecar build may have ended (runDue then asks it); -1 when none runs.
    int namesFd() const { return names_.waitFd(); }
    size_t watched() const { return folderOf_.size(); }
    size_t unwatched() const { return unwatched_.size(); }
    WatchCounters counters() const;

private:
    struct ExtraPlace {
        std::string folder, name;  // name empty: the whole folder
    };

    store::Status refreshEverything();
    store::Status refreshFolders(const std::vector<store::FolderRequest>& folders, std::vector<int64_t>& changed);
    store::Status recheckDatabase(ChangeBatch& batch);
    store::Status runExtras(const std::vector<size_t>& extras);
    void watchEverything();
    void watchFolder(FolderTree::Id id, std::vector<int>& dropped);
    void bind(FolderTree::Id id, int wd, std::vector<int>& dropped);
    void unbind(FolderTree::Id id, std::vector<int>& dropped);
    void removeDropped(const std::vector<int>& dropped);
    bool watchExtra(const std::string& folder);
    void placeExtra(const std::string& path);
    void discoverExtras(int64_t now);
    bool watching(const std::string& folder) const;
    bool extrasWatched() const;
    void forget(const std::string& path, std::vector<int>& dropped);
    void unwatch(FolderTree::Id id, bool on);
    void event(const WatchEvent& event, int64_t now);
    void extrasAt(const std::string& folder, const std::string& name, int64_t now);
    void reportFailure(const store::Status& status);

    WatchContext context_;
    PendingChanges pending_;
    // Each folder's path is held once, as a name under its parent; the folder's watch id and
    // flags (held by the index, left unwatched) live beside it. At a million entries the paths
    // are what the watcher's memory is made of.
    FolderTree tree_;
    std::unordered_map<int, FolderTree::Id> folderOf_;  // watch id -> folder
    std::set<FolderTree::Id> unwatched_;               // the folders flagged kUnwatched, to poll
    std::set<std::string> roots_;
    std::vector<ExtraPlace> extraPlaces_;
    int64_t nextPoll_ = kNever;
    int64_t pollBase_ = 0;  // the time last passed in
    store::FolderCache folders_;      // the index's folders between two batches
    std::unique_ptr<NamesBuilder> inlineNames_;  // wraps `rebuildNames` when no builder is given
    NamesSchedule names_;             // borrows `context_.namesBuilder` or `inlineNames_`
    bool limitSaid_ = false;
    std::string lastFailure_;
    WatchCounters counters_;
};

}  // namespace skimmer::index::watch
