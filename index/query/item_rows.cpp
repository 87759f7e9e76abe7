#include "index/query/item_rows.h"

#include "index/query/safecall_error.h"

namespace skimmer::index::query {

const char* const kItemRowColumns =
    "i.id, i.name, i.kind, i.ext, i.size, i.mtime, i.ctime, i.attrs, i.url, i.display, i.dir, d.path";

namespace {

std::optional<int64_t> optionalInt(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(stmt, column);
}

std::optional<std::string> optionalBytes(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    return columnBytes(stmt, column);
}

}  // namespace

void readItemRow(sqlite3_stmt* stmt, int first, ItemRow& row) {
    row.id = sqlite3_column_int64(stmt, first);
    row.name = columnBytes(stmt, first + 1);
    row.kind = sqlite3_column_int(stmt, first + 2);
    row.ext = columnBytes(stmt, first + 3);
    row.size = optionalInt(stmt, first + 4);
    row.mtime = optionalInt(stmt, first + 5);
    row.ctime = optionalInt(stmt, first + 6);
    row.attrs = sqlite3_column_int64(stmt, first + 7);
    row.url = optionalBytes(stmt, first + 8);
    row.display = optionalBytes(stmt, first + 9);
    row.dir = sqlite3_column_int64(stmt, first + 10);
    row.dirPath = optionalBytes(stmt, first + 11);
}

std::string ItemRow::displayedPath() const {
    if (dir != 0 && dirPath) return *dirPath + "/" + name;
    return display ? *display : name;
}

std::string ItemRow::itemUrl() const {
    if (url) return *url;
    return dir != 0 && dirPath ? "file:" + displayedPath() : displayedPath();
}

std::string ItemRow::folder() const { return dir != 0 && dirPath ? *dirPath : std::string(); }

RowReader::RowReader(sqlite3* db) : db_(db) {
    const std::string sql =
        std::string("SELECT ") + kItemRowColumns + " FROM items i LEFT JOIN dirs d ON d.id = i.dir WHERE i.id = ?";
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    if (rc != SQLITE_OK) throwSqlite(db, rc, "preparing the row lookup");
    stmt_.reset(raw);
}

bool RowReader::read(int64_t id, ItemRow& row) {
    sqlite3_stmt* stmt = stmt_.get();
    sqlite3_reset(stmt);
    sqlite3_bind_int64(stmt, 1, id);
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) return false;
    if (rc != SQLITE_ROW) throwSqlite(db_, rc, "reading an item");
    readItemRow(stmt, 0, row);
    return true;
}

}  // namespace skimmer::index::query
