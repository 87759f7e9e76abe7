// The packed form of a folder's entries, stored as one BLOB in its dirs row. A million files cost
// one SQLite row per folder instead of one per file: no per-row header, rowid or cell pointer, and
// no index to find a folder's items (the crawler reads and replaces a folder's row whole).
//
// Layout: entries in ascending byte order of their names, each as LEB128 varints:
//     name length, name bytes, kind << 4 | attrs, size,
//     zigzag(mtime - previous entry's mtime), zigzag(ctime - mtime)
// Times are Unix seconds; the deltas keep them to a few bytes in a folder written at one time.
//
// Contract:
// - `encodeEntries` sorts its copy of the rows by name (stably: equal names keep their order); `decodeEntries` returns them in stored
//   order, so an entry's position is its index in the decoded vector (item_ids.h).
// - The extension is not stored: it is derived from the name and kind (`entryExtension`), and
//   url/display are never set for entries.
// - Decoding checks every length against the blob and fails (false, `out` then partial) on a
//   truncated or malformed blob instead of reading past it.
#pragma once

#include "index/store/index_writer.h"

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store {

std::string encodeEntries(std::vector<CrawledItem> rows);
bool decodeEntries(std::string_view blob, std::vector<CrawledItem>& out);

// Decodes only as far as entry `pos`; false when the blob is malformed or shorter.
bool decodeEntryAt(std::string_view blob, uint32_t pos, CrawledItem& out);

// The lower-case extension an entry of this name and kind carries: none for folders.
std::string entryExtension(std::string_view name, int kind);

}  // namespace skimmer::index::store
