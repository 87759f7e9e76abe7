// One item's row as the reader needs it, read from SQLite by id, and the texts derived from it
// (displayed path, URL, folder) by the rules of the schema.
//
// Contract: `RowReader` owns one prepared statement on a connection it does not own; `read`
// returns false when the item is gone and throws SafecallError when SQLite fails.
#pragma once

#include "index/store/sqlite_handle.h"

#include <cstdint>
#include <optional>
#include <string>

namespace skimmer::index::query {

struct ItemRow {
    int64_t id = 0;
    std::string name;
    int kind = 0;
    std::string ext;
    std::optional<int64_t> size, mtime, ctime;
    int64_t attrs = 0;
    std::optional<std::string> url, display;
    int64_t dir = 0;
    std::optional<std::string> dirPath;

    // dirs.path + "/" + name for files, else the stored display text (or the name).
    std::string displayedPath() const;
    // "file:" + the displayed path for files, else the stored URL (or the displayed path).
    std::string itemUrl() const;
    // The folder's path for files; empty for items outside the file system.
    std::string folder() const;
};

// Selects the columns of ItemRow in order from `items i LEFT JOIN dirs d`; shared with the scan.
extern const char* const kItemRowColumns;

// Fills `row` from the current row of a statement selecting kItemRowColumns from column `first`.
void readItemRow(sqlite3_stmt* stmt, int first, ItemRow& row);

class RowReader {
public:
    explicit RowReader(sqlite3* db);
    bool read(int64_t id, ItemRow& row);

private:
    sqlite3* db_;
    Stmt stmt_;
};

}  // namespace skimmer::index::query
