#include "dialogs/list_box_ex_draw.h"

#include <algorithm>
#include <string>

#include "dialogs/list_box_ex_text.h"
#include "os/cell_width.h"
#include "os/text_border.h"

namespace skimmer::dialogs {
namespace {

struct Glyph {
    char32_t ch;
    uint16_t attr;
};

// One row's drawing inputs, decoded once per row.
struct RowSource {
    const TListBoxExItem* item = nullptr;  // null below the last row
    std::u32string text;                   // the row's columns
    std::u32string line;                   // a separator's line, one entry per screen cell (0 = tail)
    int state = kLbxNormal;
};

uint16_t firstAttr(const TListBoxExItem& item, int state, uint8_t fallback) {
    const TByteArray& attr = item.Attr[static_cast<size_t>(state)];
    return attr.empty() ? fallback : attr.front();
}

// The separator's title centred in a line of `width` cells of the box-drawing line, one blank on
// each side; a wide character of the title keeps its two cells.
std::u32string separatorLine(const std::u32string& title, int32_t width) {
    int32_t titleCells = 0;
    for (char32_t cp : title) titleCells += os::cellWidth(cp);
    std::u32string line(static_cast<size_t>(std::max((width - titleCells) / 2 - 1, 0)), kLbxSeparatorChar);
    line += U' ';
    for (char32_t cp : title) {
        line += cp;
        if (os::cellWidth(cp) == 2) line += char32_t{0};
    }
    line += U' ';
    if (line.size() < static_cast<size_t>(width)) line.append(static_cast<size_t>(width) - line.size(), kLbxSeparatorChar);
    line.resize(static_cast<size_t>(std::max(width, 0)));
    if (!line.empty() && os::cellWidth(line.back()) == 2) line.back() = U' ';  // never half a character
    return line;
}

RowSource rowSource(const TListBoxExData& data, int32_t index, const TLbxCanvas& canvas, int32_t textWidth) {
    RowSource row;
    if (index < 0 || index >= data.Count()) return row;
    row.item = &data.Items[static_cast<size_t>(index)];
    row.text = DecodeColumns(row.item->Text);
    if (index == data.Current && canvas.focused) row.state = kLbxCurrent;
    else if (row.item->Flags & kLbxHighlighted) row.state = kLbxHighlight;
    if (row.item->Flags & kLbxSeparator) row.line = separatorLine(row.text, textWidth);
    return row;
}

// Cell `x` of a row whose text column there is `t`.
Glyph glyphAt(const RowSource& row, int32_t x, int32_t t, uint8_t background) {
    if (!row.item) return {U' ', background};
    const TListBoxExItem& item = *row.item;
    const bool separator = (item.Flags & kLbxSeparator) != 0;
    const bool inText = t >= 0 && static_cast<size_t>(t) < row.text.size();
    const uint16_t first = firstAttr(item, row.state, background);
    char32_t ch = separator ? row.line[static_cast<size_t>(x)] : inText ? row.text[static_cast<size_t>(t)] : U' ';
    if (x == 0 && (item.Flags & kLbxMarked)) ch = item.MarkChar ? item.MarkChar : kLbxDefaultMark;
    if (!inText || separator) {
        // An empty row in the normal state has no colour of its own.
        const bool own = row.state != kLbxNormal || !item.Text.empty();
        return {ch, own ? first : uint16_t{background}};
    }
    const TByteArray& attr = item.Attr[static_cast<size_t>(row.state)];
    return {ch, static_cast<size_t>(t) < attr.size() ? uint16_t{attr[static_cast<size_t>(t)]} : first};
}

// The cell gets the character as the host reads it (on Windows the OEM byte in the low byte).
void put(CHAR_INFO& cell, char32_t ch, uint16_t attr) {
    cell.Char.UnicodeChar = static_cast<WCHAR>(os::consoleCellChar(ch));
    cell.Attributes = attr;
}

// A separator's cells come from its line, whatever the sideways scroll.
void drawSeparatorRow(const RowSource& row, CHAR_INFO* cells, int32_t textWidth, uint8_t background) {
    for (int32_t x = 0; x < textWidth; ++x) {
        const Glyph g = glyphAt(row, x, -1, background);
        put(cells[x], g.ch, g.attr);
    }
}

// Text columns advance one per code point and screen cells by the code point's width; the first
// time the text column reaches FixedColumns it jumps ahead by HScroll.
void drawRow(const TListBoxExData& data, const RowSource& row, CHAR_INFO* cells, int32_t textWidth) {
    if (row.item && (row.item->Flags & kLbxSeparator)) return drawSeparatorRow(row, cells, textWidth, data.Colors[0]);
    int32_t t = -kLbxMargin;
    bool scrolled = false;
    for (int32_t x = 0; x < textWidth; ++t) {
        if (!scrolled && t == data.FixedColumns) {
            t += data.HScroll;
            scrolled = true;
        }
        const Glyph g = glyphAt(row, x, t, data.Colors[0]);
        if (os::cellWidth(g.ch) == 1) {
            put(cells[x++], g.ch, g.attr);
        } else if (x + 1 < textWidth) {
            put(cells[x++], g.ch, g.attr);
            put(cells[x++], 0, g.attr);
        } else {
            put(cells[x++], U' ', g.attr);
        }
    }
}

char32_t scrollBarChar(int32_t y, int32_t height, int32_t thumb) {
    if (y == thumb) return kLbxScrollThumb;
    if (y == 0) return kLbxScrollUp;
    if (y == height - 1) return kLbxScrollDown;
    return kLbxScrollTrack;
}

}  // namespace

int32_t ScrollThumbRow(int32_t height, int32_t count, int32_t current) {
    if (count <= 0 || height <= 0) return 0;
    const int64_t num = static_cast<int64_t>(height - 1) * std::max(current, 0);
    int64_t q = num / count;
    const int64_t twice = 2 * (num % count);
    if (twice > count || (twice == count && (q % 2) == 1)) ++q;
    return static_cast<int32_t>(q);
}

void DrawListBoxEx(const TListBoxExData& data, const TLbxCanvas& canvas) {
    if (!canvas.cells || canvas.width <= 0 || canvas.height <= 0) return;
    const bool scrollBar = data.Count() > canvas.height;
    const int32_t textWidth = canvas.width - (scrollBar ? 1 : 0);
    const int32_t thumb = ScrollThumbRow(canvas.height, data.Count(), data.Current);
    int32_t index = data.Top;
    for (int32_t y = 0; y < canvas.height; ++y) {
        CHAR_INFO* cells = canvas.cells + static_cast<ptrdiff_t>(y) * canvas.width;
        drawRow(data, rowSource(data, index, canvas, textWidth), cells, textWidth);
        if (scrollBar) put(cells[textWidth], scrollBarChar(y, canvas.height, thumb), canvas.scrollBarColor);
        if (index >= 0) index = Step(data, index, 1, true);
    }
}

}  // namespace skimmer::dialogs
