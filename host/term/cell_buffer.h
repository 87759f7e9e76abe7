// The screen model: a grid of cells, each one code point (plus up to two combining marks) with a FAR
// colour attribute. Everything the host shows is drawn here first; the renderer turns the difference
// between two frames into terminal output.
//
// Contract:
// - Drawing never writes outside the grid: every operation clips, including at negative coordinates.
// - Cells only ever hold characters that are safe to send to a terminal. Control characters, bidi
//   overrides and undecodable bytes in drawn text become `kPlaceholder` here, at the first border.
// - A double-width character takes two cells: the left one holds it, the right one is a "tail"
//   (`Cell::ch == kWideTail`). A wide character that would straddle the right edge or a clip limit is
//   drawn as the placeholder instead; overwriting either half of a wide character blanks the other
//   half, so the grid never holds half a character.
// - Attributes are FAR's: low nibble foreground, high nibble background, the 16 console colours.
// - The buffer owns its cells; `Region` snapshots are plain values the caller owns.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/term/text_width.h"

namespace skimmer::host::term {

using Attr = uint16_t;

inline constexpr Attr kDefaultAttr = 0x07;    // light grey on black
inline constexpr char32_t kWideTail = 0;      // right half of a double-width character

inline constexpr int foregroundOf(Attr a) { return a & 0x0F; }
inline constexpr int backgroundOf(Attr a) { return (a >> 4) & 0x0F; }

struct Cell {
    char32_t ch = U' ';
    std::array<char32_t, 2> marks{};  // combining marks drawn on top of `ch`, 0 = none
    Attr attr = kDefaultAttr;

    bool operator==(const Cell&) const = default;
    bool isWide() const;  // true for the left half of a double-width character
};

enum class BoxStyle { Single, Double };

// A saved rectangle of cells (SaveScreen); restoring it puts back exactly what was there.
struct Region {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<Cell> cells;  // row-major, width*height
};

struct CursorState {
    int x = 0, y = 0;
    bool visible = false;
    bool operator==(const CursorState&) const = default;
};

class CellBuffer {
public:
    CellBuffer(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // New size; the overlapping top-left part is kept, the rest is blank in kDefaultAttr.
    void resize(int width, int height);

    const Cell& at(int x, int y) const { return cells_[index(x, y)]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Draws UTF-8 text at (x, y) on one line, clipped to the grid and to columns before `limitX`
    // (exclusive; -1 = the right edge). Returns the column after the text as if unclipped, so
    // callers can chain pieces. Newlines are not special: they are controls and drawn as placeholders.
    int put(int x, int y, std::string_view text, Attr attr, int limitX = -1);

    // One code point, as put() would draw it; returns the column after it.
    int putChar(int x, int y, char32_t cp, Attr attr);

    // Inclusive rectangle filled with `ch` in `attr`.
    void fill(int x1, int y1, int x2, int y2, char32_t ch, Attr attr);

    // Changes only the attributes of an inclusive rectangle (shadows, cursor bars).
    void setAttr(int x1, int y1, int x2, int y2, Attr attr);

    // Frame on the inclusive rectangle, interior untouched. A non-empty title is centred on the top
    // edge as " title ", clipped to fit between the corners.
    void box(int x1, int y1, int x2, int y2, BoxStyle style, Attr attr, std::string_view title = {},
             Attr titleAttr = kDefaultAttr);
    void hline(int x1, int x2, int y, BoxStyle style, Attr attr);
    void vline(int x, int y1, int y2, BoxStyle style, Attr attr);

    // Snapshot of an inclusive rectangle, clipped to the grid; restore() puts it back where it was
    // (clipped again if the grid shrank meanwhile).
    Region save(int x1, int y1, int x2, int y2) const;
    void restore(const Region& region);

    // Where the terminal's cursor should stand after rendering.
    void setCursor(int x, int y, bool visible) { cursor_ = {x, y, visible}; }
    const CursorState& cursor() const { return cursor_; }

    // For tests and the e2e harness: the row as UTF-8 (tails skipped), and one cell's attribute.
    std::string textAt(int row) const;
    Attr attrAt(int x, int y) const { return at(x, y).attr; }

private:
    size_t index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
    void setCell(int x, int y, char32_t ch, Attr attr);
    void breakWide(int x, int y);

    int width_;
    int height_;
    std::vector<Cell> cells_;
    CursorState cursor_;
};

// The glyphs a box is drawn with (corners, edges), for callers that draw frames piece by piece.
struct BoxGlyphs {
    char32_t topLeft, topRight, bottomLeft, bottomRight, horizontal, vertical;
};
BoxGlyphs boxGlyphs(BoxStyle style);

}  // namespace skimmer::host::term
