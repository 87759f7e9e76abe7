#include "index/watch/watcher.h"

#include "index/storage/index_writer.h"
#include "index/storage/names_overlay.h"
#include "index/storage/schema.h"
#include "os/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace skimmer::index::watch {
namespace {

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return path;
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

int64_t generationOf(sqlite3* db) { return store::readMetaInt(db, store::kMetaGeneration).value_or(-1); }

NamesTimings namesTimings(const WatchSettings& settings) {
    return {.delayMillis = settings.namesDelayMillis,
            .maxDelayMillis = settings.namesMaxDelayMillis,
            .checkMillis = settings.namesCheckMillis,
            .earlyFolders = settings.namesEarlyFolders,
            .buildMillis = settings.namesBuildMillis,
            .buildMillisPerMillion = settings.namesBuildMillisPerMillion,
            .retryMillis = settings.retryMillis};
}

}  // namespace

Watcher::Watcher(WatchContext context)
    : context_(std::move(context)),
      pending_(context_.settings.coalesceMillis, context_.settings.maxPendingFolders),
      inlineNames_(context_.namesBuilder == nullptr && context_.rebuildNames
                       ? std::make_unique<InlineNamesBuilder>(context_.rebuildNames, [this] { return context_.db; })
                       : nullptr),
      names_(context_.namesBuilder != nullptr ? context_.namesBuilder : inlineNames_.get(),
             namesTimings(context_.settings),
             {.failed = [this](const std::string& error) { reportFailure(store::Status::failure(error)); },
              .recovered = [this] { lastFailure_.clear(); }}) {
    for (ExtraSource& extra : context_.extras) extra.path = store::normalizePath(extra.path);
    for (const std::string& root : context_.options->roots) roots_.insert(store::normalizePath(root));
}

WatchCounters Watcher::counters() const {
    WatchCounters counters = counters_;
    counters.overlays = names_.counters().overlays;
    counters.namesRebuilds = names_.counters().rebuilds;
    counters.namesStopped = names_.counters().stopped;
    return counters;
}

store::Status Watcher::start(int64_t now, bool refreshFirst) {
    pollBase_ = now;
    store::Status status;
    if (refreshFirst) status = refreshEverything();
    else watchEverything();
    if (!status) return status;
    names_.begin(context_.db, now);  // a sidecar that is already current is only verified
    for (const ExtraSource& extra : context_.extras) placeExtra(extra.path);
    for (const std::string& root : roots_) {
        const FolderTree::Id id = tree_.add(root);
        if (!tree_.has(id, FolderTree::kCrawled)) unwatch(id, true);
    }
    if (!unwatched_.empty() || !extrasWatched()) nextPoll_ = now + context_.settings.pollMillis;
    return status;
}

bool Watcher::watchExtra(const std::string& folder) {
    if (watching(folder)) return true;
    int error = 0;
    const int wd = context_.source->add(folder, error);
    if (wd < 0) return false;
    std::vector<int> dropped;
    bind(tree_.add(folder), wd, dropped);
    removeDropped(dropped);
    return true;
}

// An extra source is watched as the folder itself, or (a file, or nothing there yet) as its
// folder, its events told by name.
void Watcher::placeExtra(const std::string& path) {
    if (watchExtra(path)) {
        extraPlaces_.push_back({.folder = path, .name = ""});
        return;
    }
    extraPlaces_.push_back({.folder = parentOf(path), .name = nameOf(path)});
    watchExtra(parentOf(path));  // when even that fails, polls try again
}

void Watcher::discoverExtras(int64_t now) {
    if (!context_.moreExtras) return;
    std::set<std::string> known;
    for (const ExtraSource& extra : context_.extras) known.insert(extra.path);
    for (ExtraSource& extra : context_.moreExtras()) {
        extra.path = store::normalizePath(extra.path);
        if (!known.insert(extra.path).second) continue;
        context_.extras.push_back(std::move(extra));
        placeExtra(context_.extras.back().path);
        pending_.extra(context_.extras.size() - 1, now);  // read once it is watched
    }
    if (!extrasWatched() && nextPoll_ == kNever) nextPoll_ = now + context_.settings.pollMillis;
}

bool Watcher::watching(const std::string& folder) const {
    const FolderTree::Id id = tree_.find(folder);
    return id != FolderTree::kNone && tree_.wd(id) >= 0;
}

// The same inode under a new name (a moved folder) keeps its watch id: the old name loses it.
// A new inode at a known name (a folder replaced by another moved in or made there) gets a new
// id: the name's old id then belongs to a folder that is elsewhere now, and is dropped.
void Watcher::bind(FolderTree::Id id, int wd, std::vector<int>& dropped) {
    if (const auto old = folderOf_.find(wd); old != folderOf_.end() && old->second != id) {
        tree_.setWd(old->second, -1);
        tree_.release(old->second);
    }
    if (tree_.wd(id) != wd) unbind(id, dropped);
    folderOf_[wd] = id;
    tree_.setWd(id, wd);
}

void Watcher::unbind(FolderTree::Id id, std::vector<int>& dropped) {
    const int wd = tree_.wd(id);
    if (wd < 0) return;
    dropped.push_back(wd);
    folderOf_.erase(wd);
    tree_.setWd(id, -1);
}

// A dropped id may have been bound again meanwhile (its folder moved to a name visited later in
// the same batch); only the ones left unbound are given back to the kernel.
void Watcher::removeDropped(const std::vector<int>& dropped) {
    for (int wd : dropped)
        if (!folderOf_.count(wd)) context_.source->remove(wd);
}

void Watcher::unwatch(FolderTree::Id id, bool on) {
    tree_.set(id, FolderTree::kUnwatched, on);
    if (on) unwatched_.insert(id);
    else unwatched_.erase(id);
}

bool Watcher::extrasWatched() const {
    return std::all_of(extraPlaces_.begin(), extraPlaces_.end(),
                       [&](const ExtraPlace& place) { return watching(place.folder); });
}

store::Status Watcher::refreshEverything() {
    ++counters_.fullRefreshes;
    const store::CrawlResult result = store::crawl(context_.db, *context_.options, *context_.fs, {});
    if (result.status) watchEverything();
    return result.status;
}

store::Status Watcher::refreshFolders(const std::vector<store::FolderRequest>& folders,
                                      std::vector<int64_t>& changed) {
    counters_.foldersRefreshed += static_cast<int64_t>(folders.size());
    store::CrawlHooks hooks;
    hooks.beforeCommit = [this](sqlite3* db, int64_t generation, const std::vector<int64_t>& dirs) {
        return names_.overlayInBatch(db, generation, dirs);
    };
    const store::FolderRefreshResult result =
        store::refreshFolders(context_.db, *context_.options, *context_.fs, hooks, folders, &folders_);
    changed = result.changedDirs;
    // Even a failed refresh may have committed part of its work: the watches follow what the
    // index says now.
    std::vector<int> dropped;
    for (const std::string& path : result.removed) forget(path, dropped);
    for (const std::string& path : result.visited) {
        const FolderTree::Id id = tree_.add(path);
        tree_.set(id, FolderTree::kCrawled, true);
        watchFolder(id, dropped);
    }
    removeDropped(dropped);
    return result.status;
}

store::Status Watcher::runExtras(const std::vector<size_t>& extras) {
    std::set<std::string> done;
    for (size_t index : extras) {
        const ExtraSource& extra = context_.extras[index];
        if (!extra.group.empty() && !done.insert(extra.group).second) continue;
        if (store::Status status = extra.refresh(context_.db); !status) return status;
    }
    return {};
}

// After a full refresh: every folder of the index watched (each asked again: the full refresh may
// follow lost events that replaced a folder), watches of folders it no longer holds dropped.
void Watcher::watchEverything() {
    std::unordered_map<std::string, store::StoredDir> dirs;
    store::IndexWriter reader(context_.db);
    if (!reader.loadDirs(dirs)) return;  // the next batch tries again; the refresh itself succeeded
    std::vector<int> dropped;
    std::vector<std::string> gone;
    tree_.each(FolderTree::kCrawled, [&](FolderTree::Id id) {
        if (std::string path = tree_.path(id); !dirs.count(path)) gone.push_back(std::move(path));
    });
    for (const std::string& path : gone) forget(path, dropped);
    // In path order (a parent before its children): when the watch limit cuts the list short, the
    // folders left to the polls are the last ones in that order, the same in every run, and never
    // a parent whose children are watched.
    std::vector<const std::string*> order;
    order.reserve(dirs.size());
    for (const auto& entry : dirs) order.push_back(&entry.first);
    std::sort(order.begin(), order.end(), [](const std::string* a, const std::string* b) { return *a < *b; });
    for (const std::string* path : order) {
        const FolderTree::Id id = tree_.add(*path);
        tree_.set(id, FolderTree::kCrawled, true);
        watchFolder(id, dropped);
    }
    removeDropped(dropped);
}

// Asked of every folder a refresh visited, watched or not: the kernel gives the id it has for the
// folder's inode, so a watched name that holds another folder now is found here and watched anew
// (keeping the old id would follow the folder that went, and nothing that happens at the name).
void Watcher::watchFolder(FolderTree::Id id, std::vector<int>& dropped) {
    int error = 0;
    const int wd = context_.source->add(tree_.path(id), error);
    if (wd < 0) {
        // Gone already: the refresh that follows its event removes it. Otherwise (the limit, a
        // refusal: a folder already watched never meets either) it is polled instead.
        if (error == ENOENT || error == ENOTDIR) return;
        unbind(id, dropped);
        unwatch(id, true);
        if (error == ENOSPC && !limitSaid_) {
            limitSaid_ = true;
            if (context_.say)
                context_.say("the inotify watch limit is reached after " + std::to_string(folderOf_.size()) +
                             " folders; the others are refreshed every " +
                             std::to_string(context_.settings.pollMillis / 1000) +
                             " s instead (raise it with: sysctl fs.inotify.max_user_watches=N)");
        }
        return;
    }
    bind(id, wd, dropped);
    unwatch(id, false);
}

void Watcher::forget(const std::string& path, std::vector<int>& dropped) {
    const FolderTree::Id id = tree_.find(path);
    if (id == FolderTree::kNone) return;
    tree_.set(id, FolderTree::kCrawled, false);
    // A root that went is looked for again by every poll; other folders come back through their
    // parent's events.
    if (roots_.count(path)) {
        unwatch(id, true);
        if (nextPoll_ == kNever) nextPoll_ = pollBase_ + context_.settings.pollMillis;
    } else {
        unwatch(id, false);
    }
    const int wd = tree_.wd(id);
    const bool extraFolder = std::any_of(extraPlaces_.begin(), extraPlaces_.end(),
                                         [&](const ExtraPlace& place) { return place.folder == path; });
    if (wd >= 0 && !extraFolder) {  // an extra source's folder stays watched
        dropped.push_back(wd);
        folderOf_.erase(wd);
        tree_.setWd(id, -1);
    }
    tree_.release(id);
}

void Watcher::take(const std::vector<WatchEvent>& events, int64_t now) {
    pollBase_ = now;
    for (const WatchEvent& e : events) event(e, now);
}

void Watcher::extrasAt(const std::string& folder, const std::string& name, int64_t now) {
    for (size_t i = 0; i < extraPlaces_.size(); ++i) {
        const ExtraPlace& place = extraPlaces_[i];
        const bool hit = place.name.empty() ? os::isAtOrUnder(folder, place.folder)
                                            : folder == place.folder && name.starts_with(place.name);
        if (hit) pending_.extra(i, now);
    }
}

void Watcher::event(const WatchEvent& e, int64_t now) {
    if (e.mask & kWatchOverflow) {
        if (context_.say) context_.say("events were lost (the kernel's queue overflowed); the whole index is refreshed");
        pending_.everything(now);
        for (size_t i = 0; i < extraPlaces_.size(); ++i) pending_.extra(i, now);
        return;
    }
    const auto found = folderOf_.find(e.wd);
    if (found == folderOf_.end()) return;  // a watch already forgotten
    const FolderTree::Id id = found->second;
    const std::string path = tree_.path(id);
    const bool crawled = tree_.has(id, FolderTree::kCrawled);
    if (e.mask & kWatchIgnored) {
        // The kernel dropped the watch (its folder is gone). A root is looked for again by polls.
        folderOf_.erase(found);
        tree_.setWd(id, -1);
        if (crawled) unwatch(id, true);
        tree_.release(id);
        if (nextPoll_ == kNever) nextPoll_ = now + context_.settings.pollMillis;
        return;
    }
    if (e.name.empty() || (e.mask & (kWatchDeleteSelf | kWatchMoveSelf | kWatchUnmount))) {
        if (crawled) {
            // A folder that went from its name: whatever holds the name now (another folder moved
            // in, a root put back) is a different tree, walked whole.
            pending_.folder(path, (e.mask & (kWatchDeleteSelf | kWatchMoveSelf | kWatchUnmount)) != 0, now);
            pending_.folder(parentOf(path), false, now);  // ignored by the crawler above a root
        }
        extrasAt(path, "", now);
        extrasAt(parentOf(path), nameOf(path), now);
        return;
    }
    if (crawled) {
        pending_.folder(path, false, now);
        if ((e.mask & kWatchIsFolder) && (e.mask & (kWatchCreate | kWatchMovedTo)))
            pending_.folder(os::joinPath(path, e.name), true, now);
    }
    extrasAt(path, e.name, now);
}

int64_t Watcher::nextDue() const { return std::min({pending_.dueAt(), nextPoll_, names_.nextDue()}); }

// The database at the index's path may have been moved aside by another skimmer-index: then the
// new one is opened, and everything is refreshed into it (it may be empty, or a crawl of before
// our last batches).
store::Status Watcher::recheckDatabase(ChangeBatch& batch) {
    if (context_.held == nullptr) return {};
    bool reopened = false;
    store::Status status = context_.held->check(reopened);
    if (!reopened) return status;
    ++counters_.reopens;
    context_.db = context_.held->db();
    if (context_.say)
        context_.say(status ? "the index file was replaced; the new one is opened and brought up to date"
                            : "the index file was replaced and cannot be opened (" + status.error + ")");
    folders_ = {};
    names_.indexReplaced();
    batch.everything = true;
    batch.folders.clear();  // the full refresh reads the extra sources too
    return status;
}

void Watcher::reportFailure(const store::Status& status) {
    if (status.error == lastFailure_) return;
    lastFailure_ = status.error;
    if (context_.say) context_.say("the index could not be brought up to date (" + status.error + "); tried again shortly");
}

store::Status Watcher::runDue(int64_t now, bool namesReady) {
    pollBase_ = now;
    if (namesReady) names_.ready(now);
    if (now < nextDue()) return {};
    names_.runDue(context_.db, now);
    ChangeBatch batch = pending_.dueAt() <= now ? pending_.take() : ChangeBatch{};
    const bool poll = nextPoll_ <= now;
    if (poll) {
        ++counters_.polls;
        for (FolderTree::Id id : unwatched_) batch.folders.push_back({.path = tree_.path(id), .subtree = false});
        // An extra source whose folder appeared (or came back) is watched and read now.
        for (size_t i = 0; i < extraPlaces_.size(); ++i)
            if (!watching(extraPlaces_[i].folder) && watchExtra(extraPlaces_[i].folder)) batch.extras.push_back(i);
    }
    store::Status status;
    if (!batch.empty()) status = recheckDatabase(batch);
    if (!status) {
        reportFailure(status);
        pending_.retry(std::move(batch), now, context_.settings.retryMillis);
    } else if (!batch.empty()) {
        ++counters_.batches;
        const int64_t before = generationOf(context_.db);
        std::vector<int64_t> changed;
        if (batch.everything) status = refreshEverything();
        else if (!batch.folders.empty()) status = refreshFolders(batch.folders, changed);
        const int64_t afterFolders = generationOf(context_.db);
        if (status) status = runExtras(batch.extras);
        if (status && (batch.everything || !batch.extras.empty())) discoverExtras(now);
        // Only folder entries can be overlaid; a full refresh or other sources' items rebuild.
        const bool overlayable = !batch.everything && generationOf(context_.db) == afterFolders;
        if (generationOf(context_.db) != before) names_.changed(context_.db, changed, overlayable, now);
        if (status) lastFailure_.clear();
        else {
            reportFailure(status);
            pending_.retry(std::move(batch), now, context_.settings.retryMillis);
        }
    }
    if (poll) {
        const std::vector<FolderTree::Id> again(unwatched_.begin(), unwatched_.end());
        std::vector<int> dropped;
        for (FolderTree::Id id : again)
            if (tree_.has(id, FolderTree::kCrawled)) watchFolder(id, dropped);  // a missing root stays unwatched, and polled
        removeDropped(dropped);
        nextPoll_ = unwatched_.empty() && extrasWatched() ? kNever : now + context_.settings.pollMillis;
    }
    return status;
}

}  // namespace skimmer::index::watch
