// Every item of the index in one read: the entries of every folder, then the items of other
// sources. What readers use when they have no faster structure (and what builds those).
//
// Contract:
// - Visits each item once, the folder entries first and then the other items, each group in
//   ascending id order (every entry's id is above every other item's), with its id (item_ids.h),
//   its folder's id (0 for items outside the file system) and, when asked for, the folder's full
//   path; the references passed to `visit` are valid during the call only.
// - Runs inside whatever transaction the connection has open; to see one consistent snapshot the
//   caller opens one.
// - A folder row that does not decode, or whose path cannot be rebuilt, fails the scan with a
//   Status whose code is SQLITE_CORRUPT; nothing is skipped silently.
#pragma once

#include "index/storage/index_writer.h"

#include <functional>
#include <string>

namespace skimmer::index::store {

struct ScannedItem {
    int64_t id = 0;
    int64_t dir = 0;
    const std::string* dirPath = nullptr;  // set for folder entries when paths were asked for
    const CrawledItem& row;
};

Status forEachItem(sqlite3* db, bool withPaths, const std::function<void(const ScannedItem&)>& visit);

}  // namespace skimmer::index::store
