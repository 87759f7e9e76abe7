#include "host/app/panel_list.h"

#include <algorithm>
#include <ctime>
#include <unordered_set>

#include "far/default_palette.h"
#include "host/app/display_name.h"
#include "host/term/text_width.h"

namespace skimmer::host::app {
namespace {

// FAR 1.70's default panel colours.
constexpr term::Attr kPanelText = 0x1B, kPanelBox = 0x1B, kCursor = 0x30, kTitle = 0x1B, kSelectedTitle = 0x30,
                     kColumnTitle = 0x1E, kFolder = 0x1F, kExecutable = 0x1A, kMissing = 0x14;
// Selected entries, the cursor on one, and the selection line: FAR's default palette entries.
constexpr term::Attr kSelectedText = farapi::kFarDefaultPalette[COL_PANELSELECTEDTEXT],
                     kSelectedCursor = farapi::kFarDefaultPalette[COL_PANELSELECTEDCURSOR],
                     kSelectedInfo = farapi::kFarDefaultPalette[COL_PANELSELECTEDINFO];
static_assert(kSelectedText == 0x1E && kSelectedCursor == 0x3E && kSelectedInfo == 0x3E);

// Cuts display text to `width` columns; a cut name ends in '}' as in FAR.
std::string fitName(const std::string& text, int width) {
    if (width <= 0) return {};
    if (term::displayWidth(text) <= width) return text;
    std::string out;
    int used = 0;
    for (size_t pos = 0; pos < text.size();) {
        const term::Utf8Step step = term::decodeUtf8(text, pos);
        const int w = term::charWidth(step.cp);
        if (used + w > width - 1) break;
        out.append(text, pos, step.length);
        used += w;
        pos += step.length;
    }
    return out + "}";
}

// The tail of a path that fits, with "..." in front when cut (the end of a path says most).
std::string fitPathTail(const std::string& text, int width) {
    if (width <= 0) return {};
    if (term::displayWidth(text) <= width) return text;
    if (width <= 3) return std::string(static_cast<size_t>(width), '.');
    size_t start = 0;
    while (start < text.size() && term::displayWidth(std::string_view(text).substr(start)) > width - 3) {
        start += term::decodeUtf8(text, start).length;
    }
    return "..." + text.substr(start);
}

// 1234567 as "1,234,567".
std::string withCommas(uint64_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string sizeText(const PanelEntry& e, bool commas = false) {
    if (e.name == "..") return "Up";
    if (e.isMissing) return "Missing";
    if (e.isDir) return "Folder";
    return commas ? withCommas(e.size) : std::to_string(e.size);
}

// A time of 0 is "none given" (a plug-in's item without dates), not 1970.
std::string timeText(int64_t seconds, const char* format) {
    if (seconds == 0) return {};
    const time_t t = static_cast<time_t>(seconds);
    struct tm tmv {};
    char text[32] = "";
    if (localtime_r(&t, &tmv) == nullptr || std::strftime(text, sizeof text, format, &tmv) == 0) return {};
    return text;
}

std::string centred(const std::string& s, int width) {
    const int w = term::displayWidth(s);
    return w >= width ? s : std::string(static_cast<size_t>((width - w) / 2), ' ') + s;
}

std::string rightAlign(const std::string& s, int width) {
    const int w = term::displayWidth(s);
    return w >= width ? s : std::string(static_cast<size_t>(width - w), ' ') + s;
}

}  // namespace

std::string PanelList::fitEntryName(const PanelEntry& e, int width) const {
    const std::string shown = displayName(e.name);
    return namesAreWholePaths() && e.name != ".." ? fitPathTail(shown, width) : fitName(shown, width);
}

void PanelList::setEntries(std::vector<PanelEntry> entries) {
    std::unordered_set<std::string> kept;
    for (const PanelEntry& e : entries_)
        if (e.selected) kept.insert(e.name);
    entries_ = std::move(entries);
    for (PanelEntry& e : entries_) e.selected = e.name != ".." && kept.count(e.name) > 0;
    putInOrder();
    moveTo(current_);
}

void PanelList::setSortOrder(SortOrder wanted) {
    sort_ = normalised(wanted);
    const std::vector<size_t> order = putInOrder();
    // The cursor follows its entry: find where the entry that was current went.
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == static_cast<size_t>(current_)) {
            moveTo(static_cast<int>(i));
            break;
        }
}

std::vector<size_t> PanelList::putInOrder() {
    std::vector<size_t> order = sortPermutation(entries_, sort_);
    bool moved = false;
    for (size_t i = 0; i < order.size() && !moved; ++i) moved = order[i] != i;
    if (!moved) return order;
    std::vector<PanelEntry> sorted;
    sorted.reserve(entries_.size());
    for (size_t from : order) sorted.push_back(std::move(entries_[from]));
    entries_ = std::move(sorted);
    entriesReordered(order);
    return order;
}

bool PanelList::isSelectable(int index) const {
    return index >= 0 && index < static_cast<int>(entries_.size()) && entries_[static_cast<size_t>(index)].name != "..";
}

bool PanelList::isSelected(int index) const {
    return isSelectable(index) && entries_[static_cast<size_t>(index)].selected;
}

void PanelList::setSelected(int index, bool on) {
    if (isSelectable(index)) entries_[static_cast<size_t>(index)].selected = on;
}

void PanelList::setSelectedRange(int from, int to, bool on) {
    for (int i = std::min(from, to); i <= std::max(from, to); ++i) setSelected(i, on);
}

void PanelList::selectAll(bool on, bool folders) {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (folders || !on || !entries_[i].isDir) setSelected(static_cast<int>(i), on);
}

void PanelList::selectMatching(bool on, bool folders, const std::function<bool(const PanelEntry&)>& matches) {
    for (size_t i = 0; i < entries_.size(); ++i)
        if ((folders || !on || !entries_[i].isDir) && matches(entries_[i])) setSelected(static_cast<int>(i), on);
}

void PanelList::invertSelection(bool folders) {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (folders || !entries_[i].isDir) toggleSelected(static_cast<int>(i));
}

void PanelList::deselect(const std::string& name) {
    for (PanelEntry& e : entries_)
        if (e.name == name) e.selected = false;
}

void PanelList::clearSelection() {
    for (PanelEntry& e : entries_) e.selected = false;
}

std::vector<int> PanelList::selectedIndices() const {
    std::vector<int> out;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (isSelected(static_cast<int>(i))) out.push_back(static_cast<int>(i));
    return out;
}

int PanelList::selectedCount() const { return static_cast<int>(selectedIndices().size()); }

uint64_t PanelList::selectedBytes() const {
    uint64_t total = 0;
    for (int i : selectedIndices())
        if (!entries_[static_cast<size_t>(i)].isDir) total += entries_[static_cast<size_t>(i)].size;
    return total;
}

void PanelList::setViewModeIndex(int index) {
    if (index >= 0 && index < kViewModeCount) viewModeIndex_ = index;
}

const PanelEntry* PanelList::currentEntry() const {
    return entries_.empty() ? nullptr : &entries_[static_cast<size_t>(current_)];
}

void PanelList::move(int delta) { moveTo(current_ + delta); }

void PanelList::moveTo(int index) {
    current_ = entries_.empty() ? 0 : std::clamp(index, 0, static_cast<int>(entries_.size()) - 1);
    keepCursorVisible();
}

void PanelList::setCurrent(const std::string& name) {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].name == name) moveTo(static_cast<int>(i));
}

void PanelList::setTop(int top) {
    top_ = std::max(0, std::min(top, static_cast<int>(entries_.size()) - 1));
    keepCursorVisible();
}

// Runs on every draw, so a resize re-fits the scroll position: after the panel grows, entries
// scrolled out while it was small come back instead of leaving empty rows below the last one.
void PanelList::keepCursorVisible() {
    const int rows = std::max(pageRows_, 1);
    top_ = std::min(top_, std::max(0, static_cast<int>(entries_.size()) - rows));
    if (current_ < top_) top_ = current_;
    if (current_ >= top_ + rows) top_ = current_ - rows + 1;
    top_ = std::max(top_, 0);
}

void PanelList::draw(term::CellBuffer& screen, const Rect& a, bool focused) {
    listArea_ = {};
    stripes_.clear();
    if (a.width() < 3 || a.height() < 3) {
        pageRows_ = stripeRows_ = 1;
        return;
    }
    screen.fill(a.x1, a.y1, a.x2, a.y2, U' ', kPanelText);
    screen.box(a.x1, a.y1, a.x2, a.y2, term::BoxStyle::Double, kPanelBox);
    // The sort letter in the corner; the title, centred, never covers it.
    screen.putChar(a.x1 + 1, a.y1, static_cast<char32_t>(sortLetter(sort_)), kPanelBox);
    const std::string shown = fitPathTail(displayName(title()), a.width() - 6);
    screen.put(a.x1 + std::max(2, (a.width() - term::displayWidth(shown) - 2) / 2), a.y1, " " + shown + " ",
               focused ? kSelectedTitle : kTitle, a.x2 - 1);
    const bool roomy = a.height() >= 7;
    const int listTop = a.y1 + (roomy ? 2 : 1);
    const int listBottom = a.y2 - (roomy ? 3 : 1);
    const int rows = std::max(1, listBottom - listTop + 1);
    const ViewMode mode = viewMode();
    const std::vector<ColumnSpec> columns =
        mode.columns.empty() ? standardViewMode(kStartViewMode).columns : mode.columns;
    const std::vector<int> widths = layoutColumns(columns, a.width() - 2);
    const size_t stripeLen = static_cast<size_t>(stripeLength(columns));
    // Each stripe whose first column is shown holds `rows` entries, side by side.
    int x = a.x1 + 1;
    for (size_t first = 0; first < columns.size() && widths[first] > 0; first += stripeLen) {
        Stripe s{.x = x, .width = -1};
        for (size_t i = first; i < first + stripeLen && widths[i] > 0; ++i) s.width += widths[i] + 1;
        stripes_.push_back(s);
        x += s.width + 1;
    }
    stripeRows_ = rows;
    pageRows_ = rows * static_cast<int>(std::max<size_t>(stripes_.size(), 1));
    keepCursorVisible();
    // Titles above the columns and a line between each two (the cursor bar runs over them).
    x = a.x1 + 1;
    for (size_t i = 0; i < columns.size() && widths[i] > 0; ++i) {
        if (roomy)
            screen.put(x, a.y1 + 1, centred(fitName(columns[i].title, widths[i]), widths[i]), kColumnTitle,
                       x + widths[i]);
        x += widths[i];
        if (i + 1 < columns.size() && widths[i + 1] > 0)
            screen.vline(x, a.y1 + 1, listBottom, term::BoxStyle::Single, kPanelBox);
        ++x;
    }
    if (roomy) {
        screen.hline(a.x1 + 1, a.x2 - 1, a.y2 - 2, term::BoxStyle::Single, kPanelBox);
        screen.putChar(a.x1, a.y2 - 2, U'╟', kPanelBox);
        screen.putChar(a.x2, a.y2 - 2, U'╢', kPanelBox);
    }
    listArea_ = {a.x1 + 1, listTop, a.x2 - 1, listBottom};
    for (size_t s = 0; s < stripes_.size(); ++s) drawStripe(screen, s, columns, widths, listTop, focused);
    if (roomy) {
        drawStatus(screen, a, mode);
        drawSelectionInfo(screen, a);
    }
}

void PanelList::drawStripe(term::CellBuffer& screen, size_t s, const std::vector<ColumnSpec>& columns,
                           const std::vector<int>& widths, int listTop, bool focused) const {
    const size_t len = static_cast<size_t>(stripeLength(columns));
    const std::vector<ColumnSpec> own(columns.begin() + static_cast<long>(s * len),
                                      columns.begin() + static_cast<long>((s + 1) * len));
    const std::vector<int> ownWidths(widths.begin() + static_cast<long>(s * len),
                                     widths.begin() + static_cast<long>((s + 1) * len));
    for (int row = 0; row < stripeRows_; ++row) {
        const int index = top_ + static_cast<int>(s) * stripeRows_ + row;
        if (index >= static_cast<int>(entries_.size())) break;
        const PanelEntry& e = entries_[static_cast<size_t>(index)];
        term::Attr attr = e.isMissing ? kMissing : e.isDir ? kFolder : e.isExecutable ? kExecutable : kPanelText;
        if (!useHighlighting()) attr = kPanelText;
        if (e.selected) attr = kSelectedText;
        const bool cursor = focused && index == current_;
        if (cursor) attr = e.selected ? kSelectedCursor : kCursor;
        const int y = listTop + row;
        if (cursor) screen.setAttr(stripes_[s].x, y, stripes_[s].x + stripes_[s].width - 1, y, attr);
        drawCells(screen, stripes_[s].x, y, own, ownWidths, e, attr);
    }
}

std::string PanelList::cellText(const ColumnSpec& c, const PanelEntry& e, int width) const {
    const bool real = e.name != ".." && !e.isMissing;
    switch (c.kind) {
        case ColumnKind::Name: return fitEntryName(e, width);
        case ColumnKind::Size:
        case ColumnKind::PackedSize: return rightAlign(fitName(sizeText(e, c.commas), width), width);
        case ColumnKind::Date: return real ? fitName(timeText(e.mtime, "%Y-%m-%d"), width) : "";
        case ColumnKind::Time: return real ? fitName(timeText(e.mtime, "%H:%M"), width) : "";
        case ColumnKind::Modified: return real ? fitName(timeText(e.mtime, "%Y-%m-%d %H:%M"), width) : "";
        case ColumnKind::Created: return real ? fitName(timeText(e.ctime, "%Y-%m-%d %H:%M"), width) : "";
        case ColumnKind::Accessed: return real ? fitName(timeText(e.atime, "%Y-%m-%d %H:%M"), width) : "";
        case ColumnKind::Description: return fitName(displayName(e.description), width);
        case ColumnKind::Owner: return fitName(displayName(e.owner), width);
        case ColumnKind::Links: return e.links == 0 ? "" : rightAlign(fitName(std::to_string(e.links), width), width);
        case ColumnKind::Custom: {
            const size_t i = static_cast<size_t>(c.customIndex);
            return i < e.custom.size() ? fitName(displayName(e.custom[i]), width) : "";
        }
    }
    return {};
}

void PanelList::drawCells(term::CellBuffer& screen, int x, int y, const std::vector<ColumnSpec>& columns,
                          const std::vector<int>& widths, const PanelEntry& e, term::Attr attr) const {
    for (size_t i = 0; i < columns.size() && widths[i] > 0; ++i) {
        screen.put(x, y, cellText(columns[i], e, widths[i]), attr, x + widths[i]);
        x += widths[i] + 1;
    }
}

int PanelList::indexAt(int x, int y) const {
    if (x < listArea_.x1 || x > listArea_.x2 || y < listArea_.y1 || y > listArea_.y2) return -1;
    for (size_t s = 0; s < stripes_.size(); ++s) {
        if (x < stripes_[s].x || x >= stripes_[s].x + stripes_[s].width) continue;
        const int index = top_ + static_cast<int>(s) * stripeRows_ + (y - listArea_.y1);
        return index < static_cast<int>(entries_.size()) ? index : -1;
    }
    return -1;
}

void PanelList::drawStatus(term::CellBuffer& screen, const Rect& a, const ViewMode& mode) const {
    const PanelEntry* e = currentEntry();
    if (e == nullptr) return;
    if (!mode.status.empty()) {
        drawCells(screen, a.x1 + 1, a.y2 - 1, mode.status, layoutColumns(mode.status, a.width() - 2), *e, kPanelText);
        return;
    }
    const std::string date = e->name != ".." && !e->isMissing ? timeText(e->mtime, "%Y-%m-%d %H:%M") : "";
    const std::string right = " " + sizeText(*e) + (date.empty() ? "" : " " + date);
    const int rightWidth = term::displayWidth(right);
    const int nameWidth = a.width() - 2 - rightWidth;
    screen.put(a.x1 + 1, a.y2 - 1, fitEntryName(*e, nameWidth), kPanelText, a.x2);
    if (nameWidth >= 1) screen.put(a.x2 - rightWidth, a.y2 - 1, right, kPanelText, a.x2);
}

// FAR's selection line: the bytes and the number of the selected entries, over the separator.
void PanelList::drawSelectionInfo(term::CellBuffer& screen, const Rect& a) const {
    const int count = selectedCount();
    if (count == 0) return;
    const std::string text = fitName(" " + withCommas(selectedBytes()) + " bytes in " + std::to_string(count) +
                                         (count == 1 ? " file " : " files "),
                                     a.width() - 2);
    const int x = a.x1 + std::max(1, (a.width() - term::displayWidth(text)) / 2);
    screen.put(x, a.y2 - 2, text, kSelectedInfo, a.x2);
}

}  // namespace skimmer::host::app
