// What every panel of the screen shares: a list of entries with a cursor and a scroll position,
// drawn as FAR's blue panel. The file panel (file_panel.h) fills it from a folder, the temporary
// panel (temp_panel.h) from a list file, a plug-in's panel (plugin_panel.h) from GetFindData.
//
// Contract:
// - Names are kept as raw bytes and only escaped for display (display_name.h).
// - The cursor always points at an entry while there is one; `top` keeps it visible, and no rows
//   stay empty below the last entry while entries above are scrolled out (also after a resize).
// - An entry marked missing is drawn as such ("Missing" in the size column, its own colour).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/term/cell_buffer.h"

namespace skimmer::host::app {

struct PanelEntry {
    std::string name;  // raw bytes
    bool isDir = false;
    bool isExecutable = false;
    bool isLink = false;
    bool isMissing = false;  // listed, but nothing exists under the name
    uint64_t size = 0;
    int64_t mtime = 0;  // seconds since 1970
};

struct Rect {
    int x1 = 0, y1 = 0, x2 = -1, y2 = -1;  // inclusive
    int width() const { return x2 - x1 + 1; }
    int height() const { return y2 - y1 + 1; }
};

class PanelList {
public:
    PanelList() = default;
    PanelList(const PanelList&) = default;
    PanelList(PanelList&&) = default;
    PanelList& operator=(const PanelList&) = default;
    PanelList& operator=(PanelList&&) = default;
    virtual ~PanelList() = default;

    const std::vector<PanelEntry>& entries() const { return entries_; }
    int current() const { return current_; }
    int top() const { return top_; }
    const PanelEntry* currentEntry() const;

    void move(int delta);      // clamps at both ends
    void moveTo(int index);
    void setCurrent(const std::string& name);  // no-op when the name is not listed
    void setTop(int top);

    // Draws the panel into `area` (at least 3x3 to show anything) and remembers how many rows fit.
    void draw(term::CellBuffer& screen, const Rect& area, bool focused);
    int pageRows() const { return pageRows_; }
    // The entry drawn at screen cell (x, y) by the last draw(), or -1.
    int indexAt(int x, int y) const;

    // The panel's title as raw bytes (escaped when drawn).
    virtual std::string title() const = 0;
    // Names that are whole paths are cut at their start when too wide (the end says most).
    virtual bool namesAreWholePaths() const { return false; }
    // Folders, programs and missing entries in their own colours (FAR's highlighting); a plug-in
    // panel without OPIF_USEHIGHLIGHTING shows every entry in the panel's text colour.
    virtual bool useHighlighting() const { return true; }

protected:
    // Replaces the entries, keeping the cursor index (clamped).
    void setEntries(std::vector<PanelEntry> entries);
    void resetCursor() { current_ = top_ = 0; }

private:
    void keepCursorVisible();
    void drawStatus(term::CellBuffer& screen, const Rect& area) const;
    std::string fitEntryName(const PanelEntry& e, int width) const;

    std::vector<PanelEntry> entries_;
    int current_ = 0;
    int top_ = 0;
    int pageRows_ = 1;
    Rect listArea_;  // where the last draw() put the entries
};

}  // namespace skimmer::host::app
