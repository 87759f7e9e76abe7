// A panel's view mode: which columns it draws, how wide, under which titles, and what its status
// line shows. The ten standard modes (Ctrl+0 … Ctrl+9) are FAR's; a plug-in may give its own in
// OpenPluginInfo as FAR's comma-separated texts, which parseColumns() reads.
//
// Contract:
// - Parsing never fails on odd text: an unknown column type is left out with its width, a width
//   that is not a whole number (or is out of range) means "share the free space"; a text with no
//   known column gives no columns, and the caller keeps a standard mode.
// - layoutColumns() never gives more cells than there are: columns that do not fit are left out
//   from the right, and the shared columns divide what the fixed ones leave.
// - Nothing here draws or knows a panel; panel_list.cpp draws the cells.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::app {

enum class ColumnKind : uint8_t {
    Name,         // N
    Size,         // S (SC: with thousands separators)
    PackedSize,   // P (no compression here: the size)
    Date,         // D
    Time,         // T
    Modified,     // DM: date and time of the last write
    Created,      // DC
    Accessed,     // DA
    Description,  // Z
    Owner,        // O
    Links,        // LN
    Custom,       // C0 … C9: the plug-in's CustomColumnData
};

struct ColumnSpec {
    ColumnKind kind = ColumnKind::Name;
    int width = 0;          // 0: the column shares the space the fixed ones leave
    int customIndex = 0;    // Custom: 0 … 9
    bool commas = false;    // Size, PackedSize: "1,234,567"
    std::string title;      // drawn centred above the column
    std::string typeText;   // as the mode text named it ("N", "SC", "C3"), for FE_CHANGEVIEWMODE
};

struct ViewMode {
    std::vector<ColumnSpec> columns;
    std::vector<ColumnSpec> status;  // empty: the host's status line (name, size, date)
    bool fullScreen = false;         // the panel takes the whole screen width
};

inline constexpr int kViewModeCount = 10;
// Where a panel starts: FAR's "Wide" (names and sizes), the look panels had before modes existed.
inline constexpr int kStartViewMode = 4;
// The fewest cells the shared columns (names, descriptions) keep before a column is left out.
inline constexpr int kMinSharedCells = 13;
// The widest column a mode text may ask for.
inline constexpr int kMaxColumnWidth = 1000;
static_assert(kStartViewMode >= 0 && kStartViewMode < kViewModeCount);

// The standard mode `index` (0 … 9, as Ctrl+0 … Ctrl+9); an index out of range gives kStartViewMode's.
ViewMode standardViewMode(int index);

// FAR's texts: "N,S,D", widths "0,10,0", titles (may be null, or hold nulls: the standard title).
std::vector<ColumnSpec> parseColumns(std::string_view types, std::string_view widths,
                                     const char* const* titles = nullptr);

// The mode's column types and widths in FAR's comma-separated form ("N,S", "0,10").
std::string columnTypesText(const std::vector<ColumnSpec>& columns);
std::string columnWidthsText(const std::vector<ColumnSpec>& columns);

// How many columns form one stripe: a mode such as "N,N,N" or "N,S,N,S" repeats its first
// columns side by side, and entries flow down one stripe, then the next. 0 for no columns.
int stripeLength(const std::vector<ColumnSpec>& columns);

// The cells each column gets in `inner` cells, one separator between neighbours; 0 for a column
// left out. The widths of the visible columns plus their separators never exceed `inner`.
std::vector<int> layoutColumns(const std::vector<ColumnSpec>& columns, int inner);

}  // namespace skimmer::host::app
