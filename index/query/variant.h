// The cells of a record set's row table: an OLE-variant-like value that is empty, text, a 64-bit
// integer or an OLE automation date (days since 30 December 1899, local time, fraction = time).
//
// Contract: text is the item's exact bytes (UTF-8 for valid names; other bytes kept as they are);
// `wide()` decodes it, turning each byte that is not UTF-8 into U+DC00 + byte (U+DC80..U+DCFF) so nothing is lost.
// A record set writes its cells' texts side by side into shared blocks (CellTexts): a row costs
// no allocation of its own, and each cell keeps its block alive for as long as it lives.
#pragma once

#include "os/desktop_search.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace skimmer::index::query {

// The cell type is the desktop search face's own (os/desktop_search.h): the index fills it as it
// is, and the engine reads it without knowing which system answered.
using VarType = os::search::VarType;
using Variant = os::search::Variant;
using CellText = os::search::CellText;

// Unix seconds → OLE automation date in the local time zone.
double oleDateFromUnix(int64_t seconds);

// Blocks that the texts of cells are written into, one after the other: a block is allocated when
// the last one is full and freed with the last cell made from it, so building a row's texts costs
// copying their bytes, and an allocation every few dozen rows.
class CellTexts {
public:
    // Writable room for `bytes` bytes, in one block; valid until the next call.
    char* room(size_t bytes);
    // A cell of `bytes`, which must lie in the room the last call gave.
    CellText text(std::string_view bytes) const { return CellText(block_, bytes); }

    // Bytes of a block: a few dozen rows of paths, while a cell kept alone holds little more.
    static constexpr size_t kBlockBytes = 8192;

private:
    std::shared_ptr<const void> block_;
    char* next_ = nullptr;  // the free part of block_
    size_t free_ = 0;
};

}  // namespace skimmer::index::query
