// What every panel of the screen shares: a list of entries with a cursor and a scroll position,
// drawn as FAR's blue panel. The file panel (file_panel.h) fills it from a folder, the temporary
// panel (temp_panel.h) from a list file, a plug-in's panel (plugin_panel.h) from GetFindData.
//
// Contract:
// - Names are kept as raw bytes and only escaped for display (display_name.h).
// - The cursor always points at an entry while there is one; `top` keeps it visible, and no rows
//   stay empty below the last entry while entries above are scrolled out (also after a resize).
// - An entry marked missing is drawn as such ("Missing" in the size column, its own colour).
// - Selection is FAR's: ".." is never selected; a re-read keeps the selected names that are still
//   listed; selected entries are drawn in the selected colours and the separator line says how
//   many bytes in how many files are selected.
// - The columns are the view mode's (view_mode.h); descriptions, owners and custom columns are
//   escaped for display like names, whatever bytes they hold.
// - Entries are kept in the panel's sort order (sort_order.h); changing the order keeps the cursor
//   on the same entry, and the order's letter is drawn in the panel's top-left corner.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/app/sort_order.h"
#include "host/app/view_mode.h"
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
    int64_t ctime = 0;  // creation, 0: not known
    int64_t atime = 0;  // last access, 0: not known
    bool selected = false;
    uint32_t links = 0;       // 0: not known
    std::string description;  // raw bytes, as given
    std::string owner;
    std::vector<std::string> custom;  // C0 … C9
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

    // Selection. Index-based calls ignore ".." and indices out of range.
    bool isSelectable(int index) const;
    void setSelected(int index, bool on);
    void toggleSelected(int index) { setSelected(index, !isSelected(index)); }
    bool isSelected(int index) const;
    // Every entry from `from` to `to` (either order, both included) set to `on`.
    void setSelectedRange(int from, int to, bool on);
    // Gray +, Gray -, Gray *: files only unless `folders`, as FAR selects by default.
    void selectAll(bool on, bool folders);
    // Gray + / Gray - with masks: every entry that `matches` accepts set to `on`; when selecting,
    // files only unless `folders`.
    void selectMatching(bool on, bool folders, const std::function<bool(const PanelEntry&)>& matches);
    void invertSelection(bool folders);
    void clearSelection();
    void deselect(const std::string& name);  // the entry of that name, if listed
    std::vector<int> selectedIndices() const;
    int selectedCount() const;
    uint64_t selectedBytes() const;

    // The view mode: one of the ten (0 … 9); viewMode() is what is drawn (a plug-in may give its own).
    int viewModeIndex() const { return viewModeIndex_; }
    void setViewModeIndex(int index);
    virtual ViewMode viewMode() const { return standardViewMode(viewModeIndex_); }
    const SortOrder& sortOrder() const { return sort_; }
    // Puts the entries in the new order at once; the cursor stays on its entry.
    void setSortOrder(SortOrder order);
    // How many entries one stripe (column of entries) of the last draw held.
    int stripeRows() const { return stripeRows_; }

    // Draws the panel into `area` (at least 3x3 to show anything) and remembers how many rows fit.
    void draw(term::CellBuffer& screen, const Rect& area, bool focused);
    int pageRows() const { return pageRows_; }  // entries on one page (every stripe)
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
    // Replaces the entries, put in the sort order, keeping the cursor index (clamped).
    void setEntries(std::vector<PanelEntry> entries);
    // Called after the entries were put in a new order: element i of `order` is the index, in the
    // order before, of the entry now i-th. A panel that keeps data beside each entry follows it.
    virtual void entriesReordered(const std::vector<size_t>& order) { (void)order; }
    void resetCursor() { current_ = top_ = 0; }

private:
    // Sorts entries_ by sort_; returns the order applied (see entriesReordered).
    std::vector<size_t> putInOrder();
    void keepCursorVisible();
    void drawStatus(term::CellBuffer& screen, const Rect& area, const ViewMode& mode) const;
    void drawSelectionInfo(term::CellBuffer& screen, const Rect& area) const;
    void drawStripe(term::CellBuffer& screen, size_t stripe, const std::vector<ColumnSpec>& columns,
                    const std::vector<int>& widths, int listTop, bool focused) const;
    void drawCells(term::CellBuffer& screen, int x, int y, const std::vector<ColumnSpec>& columns,
                   const std::vector<int>& widths, const PanelEntry& e, term::Attr attr) const;
    std::string cellText(const ColumnSpec& c, const PanelEntry& e, int width) const;
    std::string fitEntryName(const PanelEntry& e, int width) const;

    std::vector<PanelEntry> entries_;
    int current_ = 0;
    int top_ = 0;
    int pageRows_ = 1;
    int stripeRows_ = 1;
    int viewModeIndex_ = kStartViewMode;
    SortOrder sort_;
    Rect listArea_;                // where the last draw() put the entries
    struct Stripe {
        int x = 0, width = 0;  // screen column and cells, without the separator after it
    };
    std::vector<Stripe> stripes_;  // where the last draw() put each stripe
};

}  // namespace skimmer::host::app
