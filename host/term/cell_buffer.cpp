#include "host/term/cell_buffer.h"

#include <algorithm>

namespace skimmer::host::term {

bool Cell::isWide() const { return ch >= 0x1100 && charWidth(ch) == 2; }

BoxGlyphs boxGlyphs(BoxStyle style) {
    if (style == BoxStyle::Double) return {U'╔', U'╗', U'╚', U'╝', U'═', U'║'};
    return {U'┌', U'┐', U'└', U'┘', U'─', U'│'};
}

CellBuffer::CellBuffer(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      cells_(static_cast<size_t>(width_) * height_) {}

void CellBuffer::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<Cell> next(static_cast<size_t>(width) * height);
    for (int y = 0; y < std::min(height, height_); ++y)
        for (int x = 0; x < std::min(width, width_); ++x) next[static_cast<size_t>(y) * width + x] = at(x, y);
    cells_ = std::move(next);
    width_ = width;
    height_ = height;
    // A wide character whose tail fell off the new right edge would be half a character.
    if (width_ > 0)
        for (int y = 0; y < height_; ++y)
            if (at(width_ - 1, y).isWide()) cells_[index(width_ - 1, y)].ch = U' ';
}

// Before a cell is overwritten, the other half of a wide character it belongs to becomes a space.
void CellBuffer::breakWide(int x, int y) {
    Cell& cell = cells_[index(x, y)];
    if (cell.ch == kWideTail && x > 0) {
        cells_[index(x - 1, y)].ch = U' ';
        cells_[index(x - 1, y)].marks = {};
    } else if (cell.isWide() && x + 1 < width_) {
        cells_[index(x + 1, y)].ch = U' ';
    }
}

void CellBuffer::setCell(int x, int y, char32_t ch, Attr attr) {
    breakWide(x, y);
    Cell& cell = cells_[index(x, y)];
    cell.ch = ch;
    cell.marks = {};
    cell.attr = attr;
}

int CellBuffer::putChar(int x, int y, char32_t cp, Attr attr) {
    return put(x, y, [&] { std::string s; appendUtf8(s, cp); return s; }(), attr);
}

int CellBuffer::put(int x, int y, std::string_view text, Attr attr, int limitX) {
    const int right = (limitX < 0 || limitX > width_) ? width_ : limitX;
    const bool rowVisible = y >= 0 && y < height_;
    int lastX = -1;  // column of the last base character drawn, for combining marks
    for (size_t pos = 0; pos < text.size();) {
        const Utf8Step step = decodeUtf8(text, pos);
        pos += step.length;
        char32_t cp = isUnsafeForTerminal(step.cp) ? kPlaceholder : step.cp;
        if (isCombining(cp)) {
            if (rowVisible && lastX >= 0) {
                auto& marks = cells_[index(lastX, y)].marks;
                auto slot = std::find(marks.begin(), marks.end(), char32_t{0});
                if (slot != marks.end()) *slot = cp;  // a third mark is dropped, never misplaced
            }
            continue;
        }
        const int w = charWidth(cp);
        lastX = -1;
        if (rowVisible && x >= 0 && x < right) {
            if (w == 2 && x + 1 >= right) {
                setCell(x, y, kPlaceholder, attr);  // half a wide character never reaches the grid
            } else {
                setCell(x, y, cp, attr);
                if (w == 2) setCell(x + 1, y, kWideTail, attr);
            }
            lastX = x;
        } else if (rowVisible && w == 2 && x == -1 && right > 0) {
            setCell(0, y, U' ', attr);  // the visible right half of a clipped wide character
        }
        x += w;
    }
    return x;
}

void CellBuffer::fill(int x1, int y1, int x2, int y2, char32_t ch, Attr attr) {
    if (isUnsafeForTerminal(ch) || charWidth(ch) != 1) ch = kPlaceholder;
    for (int y = std::max(y1, 0); y <= std::min(y2, height_ - 1); ++y)
        for (int x = std::max(x1, 0); x <= std::min(x2, width_ - 1); ++x) setCell(x, y, ch, attr);
}

void CellBuffer::setAttr(int x1, int y1, int x2, int y2, Attr attr) {
    for (int y = std::max(y1, 0); y <= std::min(y2, height_ - 1); ++y)
        for (int x = std::max(x1, 0); x <= std::min(x2, width_ - 1); ++x) cells_[index(x, y)].attr = attr;
}

void CellBuffer::hline(int x1, int x2, int y, BoxStyle style, Attr attr) {
    fill(x1, y, x2, y, boxGlyphs(style).horizontal, attr);
}

void CellBuffer::vline(int x, int y1, int y2, BoxStyle style, Attr attr) {
    fill(x, y1, x, y2, boxGlyphs(style).vertical, attr);
}

void CellBuffer::box(int x1, int y1, int x2, int y2, BoxStyle style, Attr attr, std::string_view title,
                     Attr titleAttr) {
    if (x2 < x1 || y2 < y1) return;
    const BoxGlyphs g = boxGlyphs(style);
    hline(x1 + 1, x2 - 1, y1, style, attr);
    hline(x1 + 1, x2 - 1, y2, style, attr);
    vline(x1, y1 + 1, y2 - 1, style, attr);
    vline(x2, y1 + 1, y2 - 1, style, attr);
    fill(x1, y1, x1, y1, g.topLeft, attr);
    fill(x2, y1, x2, y1, g.topRight, attr);
    fill(x1, y2, x1, y2, g.bottomLeft, attr);
    fill(x2, y2, x2, y2, g.bottomRight, attr);
    if (title.empty() || x2 - x1 < 3) return;
    const std::string label = " " + std::string(title) + " ";
    const int room = x2 - x1 - 1;
    const int start = x1 + 1 + std::max(0, (room - displayWidth(label)) / 2);
    put(start, y1, label, titleAttr, x2);
}

Region CellBuffer::save(int x1, int y1, int x2, int y2) const {
    Region r;
    r.x = std::max(x1, 0);
    r.y = std::max(y1, 0);
    r.width = std::max(0, std::min(x2, width_ - 1) - r.x + 1);
    r.height = std::max(0, std::min(y2, height_ - 1) - r.y + 1);
    r.cells.reserve(static_cast<size_t>(r.width) * r.height);
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) r.cells.push_back(at(x, y));
    return r;
}

void CellBuffer::restore(const Region& r) {
    for (int row = 0; row < r.height; ++row) {
        for (int col = 0; col < r.width; ++col) {
            const int x = r.x + col, y = r.y + row;
            if (!contains(x, y)) continue;
            breakWide(x, y);
            cells_[index(x, y)] = r.cells[static_cast<size_t>(row) * r.width + col];
        }
        // A wide character cut at either edge of the region would leave half a character.
        for (int x : {r.x, r.x + r.width - 1}) {
            if (!contains(x, r.y + row)) continue;
            Cell& c = cells_[index(x, r.y + row)];
            const bool orphanTail = c.ch == kWideTail && (x == 0 || !at(x - 1, r.y + row).isWide());
            const bool orphanLead = c.isWide() && (x + 1 >= width_ || at(x + 1, r.y + row).ch != kWideTail);
            if (orphanTail || orphanLead) c.ch = U' ';
        }
    }
}

std::string CellBuffer::textAt(int row) const {
    std::string out;
    if (row < 0 || row >= height_) return out;
    for (int x = 0; x < width_; ++x) {
        const Cell& c = at(x, row);
        if (c.ch == kWideTail) continue;
        appendUtf8(out, c.ch);
        for (char32_t m : c.marks)
            if (m != 0) appendUtf8(out, m);
    }
    return out;
}

}  // namespace skimmer::host::term
