// The kinds a query can match, worked out from its tree before any item is read: a search that
// can only match a few kinds may then walk those kinds' documents instead of its words' hits, and
// reject a candidate of another kind by its facts byte before its name is read.
//
// Contract: masks hold one bit per kind code the index defines (bit k: code k). Codes it does not
// define count as Unknown (0), as the matcher counts them. `possibleKinds` is sound: the kind of
// every item the query matches is in the mask (the mask may also hold kinds no match has). Pure.
#pragma once

#include "index/query/query_ast.h"
#include "index/storage/kinds.h"

#include <cstdint>

namespace skimmer::index::query {

using KindMask = uint32_t;
static_assert(store::kKindCount <= 32, "every defined kind code needs a bit of a KindMask");
inline constexpr KindMask kEveryKind = (KindMask{1} << (store::kKindCount - 1) << 1) - 1;

// The code the matcher counts a stored kind code as.
inline int effectiveKind(int code) { return code >= 0 && code < store::kKindCount ? code : 0; }
inline bool kindIn(KindMask mask, int code) { return (mask >> effectiveKind(code) & 1) != 0; }

KindMask possibleKinds(const Node& root);

}  // namespace skimmer::index::query
