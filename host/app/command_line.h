// FAR's command line: one line of text with a cursor, a history, and the prompt (the panel's folder).
//
// Contract: text is UTF-8 and the cursor moves by whole code points; pasted text is inserted as
// text with its line breaks turned into spaces, so a paste never runs anything. The history keeps
// the last `kHistoryLimit` distinct lines, newest last. Drawing scrolls the text so the cursor
// stays visible and places the terminal cursor there.
#pragma once

#include <string>
#include <vector>

#include "host/term/cell_buffer.h"
#include "host/term/key_codes.h"

namespace skimmer::host::app {

class CommandLine {
public:
    static constexpr size_t kHistoryLimit = 100;

    const std::string& text() const { return text_; }
    void setText(const std::string& text);      // cursor to the end, as FCTL_SETCMDLINE does
    void insert(const std::string& text);        // at the cursor
    void insertPaste(const std::string& text);
    size_t cursor() const { return cursor_; }    // byte offset, always on a code point boundary
    int cursorColumn() const;                    // code points before the cursor
    void setCursorColumn(int column);

    // Editing keys (characters, BS, Del, Left, Right, Home, End, Ctrl+Y, Esc, Ctrl+E/X history).
    // Returns false for keys it does not use.
    bool handleKey(term::key::Code key);

    // Called when the line is run: records it in the history and clears the line.
    std::string take();
    const std::vector<std::string>& history() const { return history_; }

    void draw(term::CellBuffer& screen, int y, const std::string& prompt, bool showCursor) const;

private:
    void recall(int direction);
    size_t previousBoundary(size_t pos) const;
    size_t nextBoundary(size_t pos) const;

    std::string text_;
    size_t cursor_ = 0;
    std::vector<std::string> history_;
    int historyPos_ = -1;  // -1 = not browsing
};

}  // namespace skimmer::host::app
