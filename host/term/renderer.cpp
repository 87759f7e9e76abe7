#include "host/term/renderer.h"

namespace skimmer::host::term {
namespace {

// An unchanged stretch shorter than this is rewritten rather than skipped with a cursor move
// (CSI row;col H costs 6-10 bytes).
constexpr int kMaxRewrite = 6;

// FAR colour bits are blue 1, green 2, red 4; ANSI numbers are red 1, green 2, blue 4.
int ansiColour(int farColour) { return ((farColour & 1) << 2) | (farColour & 2) | ((farColour & 4) >> 2); }

void appendInt(std::string& out, int v) { out += std::to_string(v); }

}  // namespace

std::string sgrForAttr(Attr attr) {
    const int fg = foregroundOf(attr), bg = backgroundOf(attr);
    std::string s;
    appendInt(s, (fg & 8 ? 90 : 30) + ansiColour(fg));
    s += ';';
    appendInt(s, (bg & 8 ? 100 : 40) + ansiColour(bg));
    return s;
}

void appendCellText(const Cell& cell, std::string& out) {
    const auto safe = [](char32_t cp) { return !isUnsafeForTerminal(cp); };
    const char32_t ch = cell.ch == kWideTail ? U' ' : cell.ch;
    appendUtf8(out, safe(ch) ? ch : kPlaceholder);
    for (char32_t m : cell.marks)
        if (m != 0 && safe(m) && isCombining(m)) appendUtf8(out, m);
}

std::string Renderer::render(const CellBuffer& next) {
    std::string out;
    if (!valid_ || next.width() != front_.width() || next.height() != front_.height()) {
        fullRedraw(next, out);
    } else {
        for (int y = 0; y < next.height(); ++y) drawRow(next, y, out);
    }
    placeCursor(next, out);
    front_ = next;
    valid_ = true;
    return out;
}

void Renderer::fullRedraw(const CellBuffer& next, std::string& out) {
    out += "\x1B[0m";
    attr_ = -1;
    setAttr(kDefaultAttr, out);
    out += "\x1B[2J";
    curX_ = curY_ = -1;
    for (int y = 0; y < next.height(); ++y)
        if (next.width() > 0) drawRun(next, y, 0, next.width() - 1, out);
}

void Renderer::drawRow(const CellBuffer& next, int y, std::string& out) {
    const int w = next.width();
    int x = 0;
    while (x < w) {
        if (next.at(x, y) == front_.at(x, y)) {
            ++x;
            continue;
        }
        int start = (next.at(x, y).ch == kWideTail && x > 0) ? x - 1 : x;
        int end = x, gap = 0;
        for (int i = x + 1; i < w && gap <= kMaxRewrite; ++i) {
            if (next.at(i, y) == front_.at(i, y)) {
                ++gap;
            } else {
                end = i;
                gap = 0;
            }
        }
        drawRun(next, y, start, end, out);
        x = end + 1;
    }
}

void Renderer::drawRun(const CellBuffer& next, int y, int start, int end, std::string& out) {
    moveTo(start, y, out);
    int x = start;
    while (x <= end || (x < next.width() && next.at(x, y).ch == kWideTail)) {
        const Cell& cell = next.at(x, y);
        setAttr(cell.attr, out);
        appendCellText(cell, out);
        const bool wide = cell.isWide() && x + 1 < next.width() && next.at(x + 1, y).ch == kWideTail;
        x += wide ? 2 : 1;
    }
    // With auto-wrap off the cursor sticks in the last column: treat its position as unknown there.
    curX_ = x >= next.width() ? -1 : x;
    curY_ = curX_ < 0 ? -1 : y;
}

void Renderer::moveTo(int x, int y, std::string& out) {
    if (x == curX_ && y == curY_) return;
    out += "\x1B[";
    appendInt(out, y + 1);
    out += ';';
    appendInt(out, x + 1);
    out += 'H';
    curX_ = x;
    curY_ = y;
}

void Renderer::setAttr(Attr attr, std::string& out) {
    if (attr_ == attr) return;
    out += "\x1B[";
    out += sgrForAttr(attr);
    out += 'm';
    attr_ = attr;
}

void Renderer::placeCursor(const CellBuffer& next, std::string& out) {
    const CursorState& c = next.cursor();
    const bool show = c.visible && next.contains(c.x, c.y);
    if (show) moveTo(c.x, c.y, out);
    if (show != cursorShown_ || !valid_) out += show ? "\x1B[?25h" : "\x1B[?25l";
    cursorShown_ = show;
}

}  // namespace skimmer::host::term
