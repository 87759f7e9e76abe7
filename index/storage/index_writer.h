// The crawler's write side of the index: prepared statements over one connection, batched into
// large transactions, with the progress counters a reader shows while a crawl runs.
//
// Contract:
// - Every change goes through an open batch (`begin` ... `commit`); a folder's rows and its dirs
//   row are written in the same batch, so a crash leaves each folder either as it was or fully
//   brought up to date (the next crawl finishes the rest).
// - `commit` adds one to meta 'generation' when the batch changed items, and writes the progress
//   counters and meta 'item_count' in the same transaction; then, when set, `beforeCommit` runs in
//   it with the new generation (what it writes is seen together with the batch; a failure fails
//   the commit).
// - A folder's entries are read and replaced whole (folder_entries.h); items of other sources are
//   rows of `items`, written one by one.
// - A failed statement leaves the writer failed: the batch is rolled back and every later call
//   returns the first failure; nothing is retried silently.
// - The writer borrows the connection; the caller owns it and must outlive the writer.
#pragma once

#include "index/storage/item_binding.h"
#include "index/storage/sqlite_handle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace skimmer::index::store {

struct StoredItem {
    int64_t id = 0;
    CrawledItem row;
};

struct StoredDir {
    int64_t id = 0;
    int64_t stamp = 0;
    std::optional<int64_t> parent;  // none for a root
    int64_t count = 0;              // entries stored in its row
    bool visited = false;           // set by the crawl that is running
};

struct ProgressCounts {
    int64_t itemsSeen = 0, itemsPending = 0, foldersPending = 0;
};

class IndexWriter {
public:
    explicit IndexWriter(sqlite3* db);

    Status status() const { return status_; }
    bool ok() const { return status_.ok; }

    Status begin();
    Status commit(const ProgressCounts& progress);
    void rollback();
    size_t batchChanges() const { return batchChanges_; }

    // Every dirs row, by path (built from the parent chains; the entries are not read).
    Status loadDirs(std::unordered_map<std::string, StoredDir>& out);

    int64_t insertDir(std::optional<int64_t> parent, const std::string& name, int64_t stamp);
    // `name` as insertDir takes it: a folder that became a root (or stopped being one) is renamed.
    void updateDir(int64_t id, std::optional<int64_t> parent, const std::string& name, int64_t stamp);
    // Removes the folder's row, its `count` entries and the items made from its files.
    void deleteDir(int64_t id, int64_t count);

    // The entries of folder `dir`, in stored order. A row that does not decode leaves `out` empty
    // and sets `damaged`: the caller then lists the folder afresh. False only when SQLite fails.
    bool readEntries(int64_t dir, std::vector<CrawledItem>& out, bool& damaged);
    // Replaces them; `previousCount` is how many the row held.
    void replaceEntries(int64_t dir, std::vector<CrawledItem> rows, int64_t previousCount);  // rows: moved in when the caller is done with them

    // The items made from files of folder `dir`.
    bool itemsOf(int64_t dir, std::vector<StoredItem>& out);
    // Every item made from a file of a crawled folder, with its folder's id in `dirs`.
    bool derivedItems(std::vector<StoredItem>& out, std::vector<int64_t>& dirs);
    int64_t insertItem(int64_t dir, const CrawledItem& row);
    void updateItem(int64_t id, const CrawledItem& row);
    void deleteItem(int64_t id);

    Status setMeta(const char* key, int64_t value);
    Status setMeta(const char* key, const std::string& value);

    std::function<Status(int64_t generation)> beforeCommit;

private:
    bool step(sqlite3_stmt* stmt, const char* what);
    bool readItems(sqlite3_stmt* stmt, std::vector<StoredItem>& out, std::vector<int64_t>* dirs);
    void touched(int64_t countDelta = 0) {
        ++batchChanges_;
        itemsChanged_ = true;
        countDelta_ += countDelta;
    }

    sqlite3* db_;
    Status status_;
    bool inBatch_ = false;
    bool itemsChanged_ = false;
    size_t batchChanges_ = 0;
    int64_t countDelta_ = 0;  // entries and items added minus removed in this batch
    Stmt insertItem_, updateItem_, deleteItem_, selectDerived_, selectAllDerived_;
    Stmt insertDir_, updateDir_, deleteDir_, deleteDirItems_, selectEntries_, replaceEntries_, metaInt_, metaText_;
};

}  // namespace skimmer::index::store
