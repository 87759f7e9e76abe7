// Drawing the list into the cell buffer FAR gives a DI_USERCONTROL item: one pass per screen row,
// writing code points and FAR colour attributes straight into the cells.
//
// Contract: writes exactly width x height cells and never reads or writes outside them or the
// state's arrays, whatever Top, Current, HScroll or the attribute arrays hold. A double-width code
// point fills two cells, the second holding 0 (the host's tail marker) in the same attribute; one
// that would cross the text area's right edge is drawn as a blank in its colour instead.
#pragma once

#include <cstdint>

#include "dialogs/list_box_ex.h"
#include "far/win_types.h"

namespace skimmer::dialogs {

// The console's OEM line and scroll-bar characters, as the Unicode code points the host draws.
inline constexpr char32_t kLbxSeparatorChar = U'\u2500';  // OEM 0xC4
inline constexpr char32_t kLbxScrollUp = U'\u25B2';       // OEM 0x1E
inline constexpr char32_t kLbxScrollDown = U'\u25BC';     // OEM 0x1F
inline constexpr char32_t kLbxScrollThumb = U'\u2593';    // OEM 0xB2
inline constexpr char32_t kLbxScrollTrack = U'\u2591';    // OEM 0xB0
// Screen columns left of text column 0 (column 0 of them shows a row's mark).
inline constexpr int32_t kLbxMargin = 3;
// What a marked row shows when its MarkChar is 0.
inline constexpr char32_t kLbxDefaultMark = U'?';

struct TLbxCanvas {
    CHAR_INFO* cells = nullptr;  // width * height, row-major
    int32_t width = 0;
    int32_t height = 0;
    bool focused = false;         // the item has the focus: the current row uses its own colours
    uint16_t scrollBarColor = 0;  // the fourth of the plug-in's list colour words
};

void DrawListBoxEx(const TListBoxExData& data, const TLbxCanvas& canvas);

// The scroll bar's thumb row: (height - 1) * current / count, rounded to nearest, ties to even.
int32_t ScrollThumbRow(int32_t height, int32_t count, int32_t current);

}  // namespace skimmer::dialogs
