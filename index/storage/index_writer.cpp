#include "index/storage/index_writer.h"

#include "index/storage/folder_entries.h"
#include "index/storage/folder_paths.h"
#include "index/storage/schema.h"

namespace skimmer::index::store {

namespace {

std::string itemColumns() { return std::string("id, ") + kItemDataColumns; }

void bindOptionalInt(sqlite3_stmt* stmt, int index, std::optional<int64_t> value) {  // NULL when none
    if (value) sqlite3_bind_int64(stmt, index, *value);
    else sqlite3_bind_null(stmt, index);
}

}  // namespace

IndexWriter::IndexWriter(sqlite3* db) : db_(db) {
    struct {
        Stmt* stmt;
        std::string sql;
    } statements[] = {
        {&insertItem_, kInsertItemSql},
        {&updateItem_, kUpdateItemSql},
        {&deleteItem_, "DELETE FROM items WHERE id = ?1"},
        {&selectDerived_, "SELECT " + itemColumns() + " FROM items WHERE dir = ?1"},
        {&selectAllDerived_, "SELECT " + itemColumns() + ", dir FROM items WHERE dir > 0"},
        {&insertDir_, "INSERT INTO dirs(parent, name, mtime_ns, count, entries) VALUES(?1, ?2, ?3, 0, x'')"},
        {&updateDir_, "UPDATE dirs SET parent = ?2, mtime_ns = ?3, name = ?4 WHERE id = ?1"},
        {&selectEntries_, "SELECT entries FROM dirs WHERE id = ?1"},
        {&replaceEntries_, "UPDATE dirs SET count = ?2, entries = ?3 WHERE id = ?1"},
        {&deleteDir_, "DELETE FROM dirs WHERE id = ?1"},
        {&deleteDirItems_, "DELETE FROM items WHERE dir = ?1"},
        {&metaInt_, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)"},
        {&metaText_, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)"},
    };
    for (auto& s : statements) {
        *s.stmt = prepare(db_, s.sql, status_);
        if (!status_) return;
    }
}

bool IndexWriter::step(sqlite3_stmt* stmt, const char* what) {
    if (!status_) return false;
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    status_ = sqliteFailure(db_, what);
    rollback();
    return false;
}

Status IndexWriter::begin() {
    if (!status_ || inBatch_) return status_;
    if (Status s = execSql(db_, "BEGIN IMMEDIATE"); !s) {
        status_ = Status::failure("starting a transaction: " + s.error, s.code);
        return status_;
    }
    inBatch_ = true;
    itemsChanged_ = false;
    batchChanges_ = 0;
    countDelta_ = 0;
    return status_;
}

Status IndexWriter::commit(const ProgressCounts& progress) {
    if (!status_ || !inBatch_) return status_;
    setMeta(kMetaItemsSeen, progress.itemsSeen);
    setMeta(kMetaItemsPending, progress.itemsPending);
    setMeta(kMetaFoldersPending, progress.foldersPending);
    if (itemsChanged_) {
        const int64_t generation = readMetaInt(db_, kMetaGeneration).value_or(0);
        setMeta(kMetaGeneration, generation + 1);
        setMeta(kMetaItemCount, readMetaInt(db_, kMetaItemCount).value_or(0) + countDelta_);
        if (status_ && beforeCommit)
            if (Status s = beforeCommit(generation + 1); !s) status_ = s;
    }
    if (!status_) return status_;
    if (Status s = execSql(db_, "COMMIT"); !s) {
        status_ = Status::failure("committing: " + s.error, s.code);
        rollback();
        return status_;
    }
    inBatch_ = false;
    return status_;
}

void IndexWriter::rollback() {
    if (!inBatch_) return;
    // After an I/O error SQLite may have rolled back already; a second ROLLBACK then fails
    // harmlessly, which is why its result does not matter here.
    if (!sqlite3_get_autocommit(db_)) execSql(db_, "ROLLBACK");
    inBatch_ = false;
}

Status IndexWriter::loadDirs(std::unordered_map<std::string, StoredDir>& out) {
    std::vector<FolderRow> folders;
    if (Status s = readFolders(db_, folders); !s) return status_ = s;
    std::unordered_map<int64_t, std::string> paths = folderPaths(folders);
    for (const FolderRow& row : folders) {
        // A folder without a path is never visited, so the crawl removes it.
        auto path = paths.find(row.id);
        std::string key = path != paths.end() ? std::move(path->second) : "unreachable folder " + std::to_string(row.id);
        out[std::move(key)] = StoredDir{row.id, row.stamp, row.parent, row.count, false};
    }
    return status_;
}

bool IndexWriter::readEntries(int64_t dir, std::vector<CrawledItem>& out, bool& damaged) {
    if (!status_) return false;
    sqlite3_stmt* stmt = selectEntries_.get();
    sqlite3_bind_int64(stmt, 1, dir);
    const int rc = sqlite3_step(stmt);
    damaged = false;
    if (rc == SQLITE_ROW) {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
        damaged = !decodeEntries(std::string_view(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(stmt, 0))), out);
        if (damaged) out.clear();
    }
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        status_ = sqliteFailure(db_, "reading a folder's entries");
        rollback();
        return false;
    }
    return true;
}

void IndexWriter::replaceEntries(int64_t dir, std::vector<CrawledItem> rows, int64_t previousCount) {
    sqlite3_stmt* stmt = replaceEntries_.get();
    sqlite3_bind_int64(stmt, 1, dir);
    const auto count = static_cast<int64_t>(rows.size());
    sqlite3_bind_int64(stmt, 2, count);
    bindBlob(stmt, 3, encodeEntries(std::move(rows)));
    touched(count - previousCount);
    step(stmt, "writing a folder's entries");
}

bool IndexWriter::itemsOf(int64_t dir, std::vector<StoredItem>& out) {
    if (!status_) return false;
    sqlite3_bind_int64(selectDerived_.get(), 1, dir);
    return readItems(selectDerived_.get(), out, nullptr);
}

bool IndexWriter::derivedItems(std::vector<StoredItem>& out, std::vector<int64_t>& dirs) {
    if (!status_) return false;
    return readItems(selectAllDerived_.get(), out, &dirs);
}

bool IndexWriter::readItems(sqlite3_stmt* stmt, std::vector<StoredItem>& out, std::vector<int64_t>* dirs) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        StoredItem item;
        item.id = sqlite3_column_int64(stmt, 0);
        readItemData(stmt, 1, item.row);
        if (dirs) dirs->push_back(sqlite3_column_int64(stmt, sqlite3_column_count(stmt) - 1));  // dir comes last
        out.push_back(std::move(item));
    }
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) {
        status_ = sqliteFailure(db_, "reading items");
        rollback();
    }
    return status_.ok;
}

int64_t IndexWriter::insertItem(int64_t dir, const CrawledItem& row) {
    sqlite3_stmt* stmt = insertItem_.get();
    sqlite3_bind_int64(stmt, 1, dir);
    bindItemData(stmt, row);
    touched(1);
    return step(stmt, "adding an item") ? sqlite3_last_insert_rowid(db_) : 0;
}

void IndexWriter::updateItem(int64_t id, const CrawledItem& row) {
    sqlite3_stmt* stmt = updateItem_.get();
    sqlite3_bind_int64(stmt, 1, id);
    bindItemData(stmt, row);
    touched();
    step(stmt, "updating an item");
}

void IndexWriter::deleteItem(int64_t id) {
    sqlite3_bind_int64(deleteItem_.get(), 1, id);
    touched(-1);
    step(deleteItem_.get(), "removing an item");
}

int64_t IndexWriter::insertDir(std::optional<int64_t> parent, const std::string& name, int64_t stamp) {
    sqlite3_stmt* stmt = insertDir_.get();
    bindOptionalInt(stmt, 1, parent);
    bindBlob(stmt, 2, name);
    sqlite3_bind_int64(stmt, 3, stamp);
    ++batchChanges_;
    return step(stmt, "adding a folder") ? sqlite3_last_insert_rowid(db_) : 0;
}

void IndexWriter::updateDir(int64_t id, std::optional<int64_t> parent, const std::string& name, int64_t stamp) {
    sqlite3_stmt* stmt = updateDir_.get();
    sqlite3_bind_int64(stmt, 1, id);
    bindOptionalInt(stmt, 2, parent);
    sqlite3_bind_int64(stmt, 3, stamp);
    bindBlob(stmt, 4, name);
    ++batchChanges_;
    step(stmt, "updating a folder");
}

void IndexWriter::deleteDir(int64_t id, int64_t count) {
    sqlite3_bind_int64(deleteDirItems_.get(), 1, id);
    if (!step(deleteDirItems_.get(), "removing a folder's items")) return;
    const int64_t derived = sqlite3_changes(db_);
    sqlite3_bind_int64(deleteDir_.get(), 1, id);
    touched(-(count + derived));
    step(deleteDir_.get(), "removing a folder");
}

Status IndexWriter::setMeta(const char* key, int64_t value) {
    sqlite3_bind_text(metaInt_.get(), 1, key, -1, SQLITE_STATIC);
    sqlite3_bind_int64(metaInt_.get(), 2, value);
    step(metaInt_.get(), "writing meta");
    return status_;
}

Status IndexWriter::setMeta(const char* key, const std::string& value) {
    sqlite3_bind_text(metaText_.get(), 1, key, -1, SQLITE_STATIC);
    bindText(metaText_.get(), 2, value);
    step(metaText_.get(), "writing meta");
    return status_;
}

}  // namespace skimmer::index::store
