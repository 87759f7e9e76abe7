// The cells of a record set's row table: an OLE-variant-like value that is empty, text, a 64-bit
// integer or an OLE automation date (days since 30 December 1899, local time, fraction = time).
//
// Contract: text is the item's exact bytes (UTF-8 for valid names; other bytes kept as they are);
// `wide()` decodes it, turning each byte that is not UTF-8 into U+DC00 + byte (U+DC80..U+DCFF) so nothing is lost.
#pragma once

#include "os/desktop_search.h"

#include <cstdint>

namespace skimmer::index::query {

// The cell type is the desktop search face's own (os/desktop_search.h): the index fills it as it
// is, and the engine reads it without knowing which system answered.
using VarType = os::search::VarType;
using Variant = os::search::Variant;

// Unix seconds → OLE automation date in the local time zone.
double oleDateFromUnix(int64_t seconds);

}  // namespace skimmer::index::query
