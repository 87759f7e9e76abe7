// The hits of a query when the name sidecar is one or more generations old and the index's
// names overlay (index/storage/names_overlay.h) lists the folders changed since: the sidecar's hits
// outside those folders merged, in search order, with the hits read from SQLite inside them.
//
// Contract: yields exactly the ids, in exactly the order, that a scan of the whole snapshot would
// (hit_stream.h); `base` must already leave out every entry of the stale folders. Borrows `db`
// and the query like the other streams; reads the stale folders' rows once, at construction.
// Throws SafecallError on SQLite failures and on damage.
#pragma once

#include "index/query/hit_stream.h"

#include <memory>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

std::unique_ptr<HitStream> makeOverlayHits(std::unique_ptr<HitStream> base, sqlite3* db, const Node& root,
                                           std::string_view lead, const std::vector<int64_t>& staleFolders);

}  // namespace skimmer::index::query
