#include "index/storage/item_scan.h"

#include "index/storage/folder_entries.h"
#include "index/storage/folder_paths.h"
#include "index/storage/item_ids.h"

namespace skimmer::index::store {

namespace {

Status damaged(std::string what) { return Status::failure(std::move(what), SQLITE_CORRUPT); }

Status scanEntries(sqlite3* db, const std::unordered_map<int64_t, std::string>* paths,
                   const std::function<void(const ScannedItem&)>& visit) {
    Status status;
    Stmt stmt = prepare(db, "SELECT id, entries FROM dirs ORDER BY id", status);
    if (!stmt) return status;
    std::vector<CrawledItem> rows;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        const int64_t dir = sqlite3_column_int64(stmt.get(), 0);
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt.get(), 1));
        rows.clear();
        if (!decodeEntries({data ? data : "", static_cast<size_t>(sqlite3_column_bytes(stmt.get(), 1))}, rows) ||
            rows.size() > kMaxFolderEntries)
            return damaged("the entries of folder " + std::to_string(dir) + " are damaged");
        const std::string* path = nullptr;
        if (paths) {
            const auto found = paths->find(dir);
            if (found == paths->end()) return damaged("folder " + std::to_string(dir) + " has no path");
            path = &found->second;
        }
        for (uint32_t pos = 0; pos < rows.size(); ++pos) visit(ScannedItem{entryId(dir, pos), dir, path, rows[pos]});
    }
    if (rc != SQLITE_DONE) return sqliteFailure(db, "reading folders' entries");
    return {};
}

Status scanItems(sqlite3* db, const std::function<void(const ScannedItem&)>& visit) {
    Status status;
    Stmt stmt = prepare(db, std::string("SELECT id, ") + kItemDataColumns + " FROM items ORDER BY id", status);
    if (!stmt) return status;
    CrawledItem row;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        const int64_t id = sqlite3_column_int64(stmt.get(), 0);
        if (isEntryId(id)) return damaged("item " + std::to_string(id) + " has an id out of range");
        readItemData(stmt.get(), 1, row);
        visit(ScannedItem{id, 0, nullptr, row});
    }
    if (rc != SQLITE_DONE) return sqliteFailure(db, "reading items");
    return {};
}

}  // namespace

Status forEachItem(sqlite3* db, bool withPaths, const std::function<void(const ScannedItem&)>& visit) {
    std::unordered_map<int64_t, std::string> paths;
    if (withPaths) {
        std::vector<FolderRow> folders;
        if (Status s = readFolders(db, folders); !s) return s;
        paths = folderPaths(folders);
    }
    if (Status s = scanEntries(db, withPaths ? &paths : nullptr, visit); !s) return s;
    return scanItems(db, visit);
}

}  // namespace skimmer::index::store
