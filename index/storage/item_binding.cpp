#include "index/storage/item_binding.h"

namespace skimmer::index::store {

const char* const kItemDataColumns = "name, kind, ext, size, mtime, ctime, attrs, url, display, words";
const char* const kInsertItemSql =
    "INSERT INTO items(dir, kind, ext, size, mtime, ctime, attrs, url, display, name, words) "
    "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)";
const char* const kUpdateItemSql =
    "UPDATE items SET kind=?2, ext=?3, size=?4, mtime=?5, ctime=?6, attrs=?7, url=?8, display=?9, name=?10, words=?11 "
    "WHERE id = ?1";

namespace {

void bindOptionalBlob(sqlite3_stmt* stmt, int index, const std::optional<std::string>& value) {
    if (value) bindBlob(stmt, index, *value);
    else sqlite3_bind_null(stmt, index);
}

std::optional<std::string> optionalBytes(sqlite3_stmt* stmt, int index) {
    if (sqlite3_column_type(stmt, index) == SQLITE_NULL) return std::nullopt;
    return columnBytes(stmt, index);
}

}  // namespace

void bindItemData(sqlite3_stmt* stmt, const CrawledItem& row) {
    sqlite3_bind_int(stmt, 2, row.kind);
    bindText(stmt, 3, row.ext);
    sqlite3_bind_int64(stmt, 4, row.size);
    sqlite3_bind_int64(stmt, 5, row.mtime);
    sqlite3_bind_int64(stmt, 6, row.ctime);
    sqlite3_bind_int(stmt, 7, row.attrs);
    bindOptionalBlob(stmt, 8, row.url);
    bindOptionalBlob(stmt, 9, row.display);
    bindBlob(stmt, 10, row.name);
    bindBlob(stmt, 11, row.words);
}

std::string searchedText(std::string_view name, std::string_view words) {
    if (words.empty()) return std::string(name);
    std::string text;
    text.reserve(name.size() + 1 + words.size());
    return text.append(name).append(1, '\n').append(words);
}

void readItemData(sqlite3_stmt* stmt, int first, CrawledItem& row) {
    row.name = columnBytes(stmt, first);
    row.kind = sqlite3_column_int(stmt, first + 1);
    row.ext = columnBytes(stmt, first + 2);
    row.size = sqlite3_column_int64(stmt, first + 3);
    row.mtime = sqlite3_column_int64(stmt, first + 4);
    row.ctime = sqlite3_column_int64(stmt, first + 5);
    row.attrs = sqlite3_column_int(stmt, first + 6);
    row.url = optionalBytes(stmt, first + 7);
    row.display = optionalBytes(stmt, first + 8);
    row.words = columnBytes(stmt, first + 9);
}

}  // namespace skimmer::index::store
