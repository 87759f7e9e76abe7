// Turns cell-buffer frames into terminal output: the first frame (and any after `invalidate()`) is
// drawn whole, later frames only where cells changed.
//
// Contract:
// - This is the only code that puts text from data into the terminal's byte stream, and it sends
//   each cell's characters only after checking them again: a control character, C1 byte, bidi
//   override or invalid code point that reached a cell some other way goes out as `kPlaceholder`.
//   Everything else it emits is an escape sequence built here from numbers.
// - Colours are FAR attributes mapped to the 16 ANSI colours (SGR 30-37/90-97 foreground,
//   40-47/100-107 background). Assumes auto-wrap is off (the terminal session turns it off).
// - One changed row costs about one row's bytes: unchanged runs longer than a cursor move are
//   skipped with a cursor move, and colours are only sent when they change.
// - Pure: returns bytes, never writes them.
#pragma once

#include <string>

#include "host/term/cell_buffer.h"

namespace skimmer::host::term {

class Renderer {
public:
    // The bytes that turn the screen as last rendered into `next`.
    std::string render(const CellBuffer& next);

    // The screen no longer shows the last frame (resume, resize, user screen, another program):
    // the next render redraws everything.
    void invalidate() { valid_ = false; }

private:
    void fullRedraw(const CellBuffer& next, std::string& out);
    void drawRow(const CellBuffer& next, int y, std::string& out);
    void drawRun(const CellBuffer& next, int y, int start, int end, std::string& out);
    void moveTo(int x, int y, std::string& out);
    void setAttr(Attr attr, std::string& out);
    void placeCursor(const CellBuffer& next, std::string& out);

    CellBuffer front_{0, 0};
    bool valid_ = false;
    int curX_ = -1, curY_ = -1;  // where the terminal's cursor is, -1 = unknown
    int attr_ = -1;              // colours in force, -1 = unknown
    bool cursorShown_ = true;
};

// The SGR parameters for a FAR attribute, e.g. "34;47" for 0x71 (blue on light grey).
std::string sgrForAttr(Attr attr);

// Appends one cell's characters, re-checked for safety (see the contract above).
void appendCellText(const Cell& cell, std::string& out);

}  // namespace skimmer::host::term
