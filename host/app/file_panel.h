// The file panel: one folder's entries, a cursor, and how it looks on screen (FAR's blue panel).
//
// Contract:
// - Names are kept as raw bytes and only escaped for display (display_name.h); entering a folder
//   uses the raw bytes, so any name that exists can be entered.
// - Order: ".." first (except at "/"), then folders, then files, each by name (byte order).
// - A folder that cannot be read leaves the panel where it was and reports why; the panel never
//   shows a half-read folder as complete.
// - The cursor always points at an entry while there is one; `top` keeps it visible, and no rows
//   stay empty below the last entry while entries above are scrolled out (also after a resize).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host/term/cell_buffer.h"

namespace skimmer::host::app {

struct PanelEntry {
    std::string name;  // raw bytes
    bool isDir = false;
    bool isExecutable = false;
    bool isLink = false;
    uint64_t size = 0;
    int64_t mtime = 0;  // seconds since 1970
};

struct Rect {
    int x1 = 0, y1 = 0, x2 = -1, y2 = -1;  // inclusive
    int width() const { return x2 - x1 + 1; }
    int height() const { return y2 - y1 + 1; }
};

class FilePanel {
public:
    // Reads `dir`; on failure the panel stays as it was and `error` says why.
    bool open(const std::filesystem::path& dir, std::string& error);
    bool reload(std::string& error);  // same folder, the cursor stays on the same name if it still exists

    const std::filesystem::path& dir() const { return dir_; }
    const std::vector<PanelEntry>& entries() const { return entries_; }
    int current() const { return current_; }
    int top() const { return top_; }
    const PanelEntry* currentEntry() const;

    void move(int delta);      // clamps at both ends
    void moveTo(int index);
    void setCurrent(const std::string& name);  // no-op when the name is not listed
    void setTop(int top);

    // Enter on the current entry: a folder (or "..") is opened and true returned; for anything else
    // false with `error` empty. A folder that cannot be opened: false and `error`.
    bool enterCurrent(std::string& error);

    // Draws the panel into `area` (at least 3x3 to show anything) and remembers how many rows fit.
    void draw(term::CellBuffer& screen, const Rect& area, bool focused);
    int pageRows() const { return pageRows_; }
    // The entry drawn at screen cell (x, y) by the last draw(), or -1.
    int indexAt(int x, int y) const;

private:
    bool load(const std::filesystem::path& dir, std::string& error);
    void keepCursorVisible();
    void drawStatus(term::CellBuffer& screen, const Rect& area) const;

    std::filesystem::path dir_;
    std::vector<PanelEntry> entries_;
    int current_ = 0;
    int top_ = 0;
    int pageRows_ = 1;
    Rect listArea_;  // where the last draw() put the entries
};

}  // namespace skimmer::host::app
