// The cells of a record set's row table: an OLE-variant-like value that is empty, text, a 64-bit
// integer or an OLE automation date (days since 30 December 1899, local time, fraction = time).
//
// Contract: text is the item's exact bytes (UTF-8 for valid names; other bytes kept as they are);
// `wide()` decodes it, turning each byte that is not UTF-8 into U+DC00 + byte (U+DC80..U+DCFF) so nothing is lost.
// A record set writes its cells' texts side by side into blocks (CellTexts) that its row tables
// keep alive and their cells borrow from: a row costs no allocation of its own.
#pragma once

#include "os/desktop_search.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

// The cell type is the desktop search face's own (os/desktop_search.h): the index fills it as it
// is, and the engine reads it without knowing which system answered.
using VarType = os::search::VarType;
using Variant = os::search::Variant;
using CellText = os::search::CellText;
using RowTable = os::search::RowTable;

// Unix seconds → OLE automation date in the local time zone.
double oleDateFromUnix(int64_t seconds);

// A cell before its table exists: a row's cells are made as soon as it is read, its table only
// when getRows knows how many rows it holds. The text lies in a block of CellTexts.
struct CellDraft {
    VarType type = VarType::Empty;
    std::string_view text;
    int64_t integer = 0;
    double date = 0;

    static CellDraft ofText(std::string_view value) { return {VarType::Text, value, 0, 0}; }
    static CellDraft ofInteger(int64_t value) { return {VarType::Integer, {}, value, 0}; }
    static CellDraft ofDate(double value) { return {VarType::Date, {}, 0, value}; }
    // The cell in `table` (its text borrowed from a block the table keeps). Inline: a table of
    // five rows fills thirty cells.
    void fill(Variant& cell) const {
        cell.type = type;
        cell.integer = integer;
        cell.date = date;
        if (type == VarType::Text) cell.text.borrow(text);
    }
};

// Blocks that the texts of cells are written into, one after the other; the tables whose cells
// borrow from a block keep it alive (keepIn), and it is freed with the last of them. Writing a
// row's texts costs copying their bytes, and an allocation every few dozen rows.
class CellTexts {
public:
    // Writable room for `bytes` bytes, in one block, valid while the block is kept.
    char* room(size_t bytes);
    // Makes `table` keep every block written since the last call (the current one stays in use).
    void keepIn(os::search::RowTable& table);

    // Bytes of a block: a few dozen rows of paths, while one kept table holds little more.
    static constexpr size_t kBlockBytes = 8192;

private:
    std::vector<std::shared_ptr<const void>> written_;  // since the last keepIn; the current last
    char* next_ = nullptr;                              // the free part of the current block
    size_t free_ = 0;
};

}  // namespace skimmer::index::query
