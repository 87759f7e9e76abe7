// Runs a parsed query over one snapshot of the index and yields the ids of matching items in the
// search order, one at a time:
//   1. items whose folded name begins with the query's first required word, then all others;
//   2. within each, newest modification first (unknown times last), then by item id.
// With a name sidecar of the snapshot's generation the candidates come from its posting lists
// (or a scan of its packed names) and only the survivors of the name, kind and extension tests
// touch SQLite; without one (missing or stale) a correct but slower path scans `items` once and
// sorts the hits.
//
// Contract: borrows `db` (inside the caller's read transaction), `index` (may be null) and the
// query, which must outlive the stream. Throws SafecallError on SQLite failures and on damage.
#pragma once

#include "index/query/name_index_reader.h"
#include "index/query/query_ast.h"

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace skimmer::index::query {

class HitStream {
public:
    virtual ~HitStream() = default;
    // The next matching item's id; none at the end.
    virtual std::optional<int64_t> next() = 0;
};

// `index` must be of the snapshot's generation, or null; or, with `staleFolders`, of an older
// generation that differs from the snapshot only in the entries of those folders (the names
// overlay, index/storage/names_overlay.h): its hits outside them are merged with theirs.
std::unique_ptr<HitStream> openHitStream(sqlite3* db, NameIndex* index, const Node& root,
                                         const std::vector<int64_t>* staleFolders = nullptr);

}  // namespace skimmer::index::query
