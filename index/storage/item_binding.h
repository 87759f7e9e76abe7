// One row of `items` as the store computes it, and the one binding between that struct and the
// table's columns. The writer, the reader and the tests' hand-built indexes all read and write
// item rows through this file, so a column added or reordered changes one place.
//
// Contract: absent texts (`url`, `display`) are bound as NULL, never as empty blobs, so a row of
// `items` written without them is refused by the schema (both are NOT NULL) rather than stored
// half-made; names and texts are bound as blobs (raw bytes, never re-encoded), `ext` as text.
#pragma once

#include "index/storage/sqlite_handle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::index::store {

struct CrawledItem {
    std::string name;
    int kind = 0;
    std::string ext;
    int64_t size = 0, mtime = 0, ctime = 0;
    int attrs = 0;
    std::optional<std::string> url, display;
    std::string words;  // more text the item is found by but that is not its name (a mail's sender)

    // Same content apart from the name and the id (what decides an UPDATE).
    bool sameData(const CrawledItem& o) const {
        return kind == o.kind && ext == o.ext && size == o.size && mtime == o.mtime && ctime == o.ctime &&
               attrs == o.attrs && url == o.url && display == o.display && words == o.words;
    }
};

// The text a word of a query is looked for in: the name, and after a line break (which no query
// word holds, so no word or phrase matches across it) the item's other words. The name sidecar
// keeps exactly this text folded and the path without a sidecar folds the same, so both answer
// alike; the name still comes first, so "the name begins with" ranks as before.
std::string searchedText(std::string_view name, std::string_view words);

// The columns of an `items` row that make its CrawledItem, in the order `readItemData` takes them.
extern const char* const kItemDataColumns;
// Fills `row` from those columns of the current row of `stmt`, starting at column `first`.
void readItemData(sqlite3_stmt* stmt, int first, CrawledItem& row);

// Inserts an item: ?1 is its `dir` (0 for an item outside the file system), the rest bound by
// `bindItemData`.
extern const char* const kInsertItemSql;
// Rewrites an item: ?1 is its id, the rest bound by `bindItemData`.
extern const char* const kUpdateItemSql;
// Binds kind .. display as ?2 .. ?9, the name as ?10 and the words as ?11, the parameters both
// statements share.
void bindItemData(sqlite3_stmt* stmt, const CrawledItem& row);

}  // namespace skimmer::index::store
