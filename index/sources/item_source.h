// A source of items besides the folder walk: the applications' .desktop entries, the browsers'
// bookmarks and history, the Maildir folders' mail. The crawler brings every source in step after
// its walk (crawl/crawl_sources.h lists them, in order); a watcher watches what each one names.
//
// Contract:
// - `sync` runs inside the caller's open batch and touches only the source's own items; a failed
//   write stays in the writer's status. A failure in its outcome stops the crawl before it is
//   marked finished. A source that is skipped (a damaged browser file) is a note, not a failure.
// - `watched` names the files and folders whose change can change what `sync` yields (a file
//   that does not exist yet included); it may look at the file system, never writes.
// - A source holds its settings only; it keeps nothing between two syncs.
#pragma once

#include "index/storage/index_writer.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace skimmer::index::store {

// What a sync is given: the writer whose batch is open, its connection, and the index's folders as
// the walk left them (loaded only for a source that `readsFolders`).
struct SourceRun {
    IndexWriter& writer;
    sqlite3* db;
    const std::unordered_map<std::string, StoredDir>& dirs;
};

struct SourceOutcome {
    Status status;                   // a failure stops the crawl
    int64_t items = 0;               // the source's items in the index after the sync
    int64_t skipped = 0;             // its files that could not be read
    std::vector<std::string> notes;  // what was skipped and why, one line each
};

class ItemSource {
public:
    virtual ~ItemSource() = default;
    // Names the source in a watcher's groups: its watched paths share one refresh a batch.
    virtual std::string_view name() const = 0;
    // True when `sync` reads the walk's folders (SourceRun::dirs).
    virtual bool readsFolders() const { return false; }
    // True when what it watches may grow (a new Maildir folder): a watcher asks again after each
    // refresh of it.
    virtual bool watchesMore() const { return false; }
    virtual SourceOutcome sync(const SourceRun& run) const = 0;
    virtual std::vector<std::string> watched() const = 0;
};

}  // namespace skimmer::index::store
