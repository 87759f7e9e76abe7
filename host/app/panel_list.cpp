#include "host/app/panel_list.h"

#include <algorithm>
#include <ctime>

#include "host/app/display_name.h"
#include "host/term/text_width.h"

namespace skimmer::host::app {
namespace {

// FAR 1.70's default panel colours.
constexpr term::Attr kPanelText = 0x1B, kPanelBox = 0x1B, kCursor = 0x30, kTitle = 0x1B, kSelectedTitle = 0x30,
                     kColumnTitle = 0x1E, kFolder = 0x1F, kExecutable = 0x1A, kMissing = 0x14;

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

std::string sizeText(const PanelEntry& e) {
    if (e.name == "..") return "Up";
    if (e.isMissing) return "Missing";
    if (e.isDir) return "Folder";
    return std::to_string(e.size);
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
    entries_ = std::move(entries);
    moveTo(current_);
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
    if (a.width() < 3 || a.height() < 3) {
        pageRows_ = 1;
        return;
    }
    screen.fill(a.x1, a.y1, a.x2, a.y2, U' ', kPanelText);
    screen.box(a.x1, a.y1, a.x2, a.y2, term::BoxStyle::Double, kPanelBox);
    const std::string shown = fitPathTail(displayName(title()), a.width() - 4);
    screen.put(a.x1 + std::max(1, (a.width() - term::displayWidth(shown) - 2) / 2), a.y1, " " + shown + " ",
               focused ? kSelectedTitle : kTitle, a.x2);
    const bool roomy = a.height() >= 7;
    const int listTop = a.y1 + (roomy ? 2 : 1);
    const int listBottom = a.y2 - (roomy ? 3 : 1);
    pageRows_ = std::max(1, listBottom - listTop + 1);
    keepCursorVisible();
    const int inner = a.width() - 2;
    const int sizeWidth = inner >= 24 ? 10 : 0;
    const int nameWidth = inner - (sizeWidth ? sizeWidth + 1 : 0);
    const int sizeX = a.x1 + 1 + nameWidth + 1;
    if (roomy) {
        screen.put(a.x1 + 1 + std::max(0, (nameWidth - 4) / 2), a.y1 + 1, "Name", kColumnTitle, a.x1 + 1 + nameWidth);
        if (sizeWidth) screen.put(sizeX + (sizeWidth - 4) / 2, a.y1 + 1, "Size", kColumnTitle, a.x2);
        screen.hline(a.x1 + 1, a.x2 - 1, a.y2 - 2, term::BoxStyle::Single, kPanelBox);
        screen.putChar(a.x1, a.y2 - 2, U'╟', kPanelBox);
        screen.putChar(a.x2, a.y2 - 2, U'╢', kPanelBox);
    }
    listArea_ = {a.x1 + 1, listTop, a.x2 - 1, listBottom};
    if (sizeWidth) screen.vline(sizeX - 1, a.y1 + 1, listBottom, term::BoxStyle::Single, kPanelBox);
    for (int row = 0; row < pageRows_; ++row) {
        const int index = top_ + row;
        if (index >= static_cast<int>(entries_.size()) || listTop + row > listBottom) break;
        const PanelEntry& e = entries_[static_cast<size_t>(index)];
        term::Attr attr = e.isMissing ? kMissing : e.isDir ? kFolder : e.isExecutable ? kExecutable : kPanelText;
        if (!useHighlighting()) attr = kPanelText;
        const bool cursor = focused && index == current_;
        if (cursor) attr = kCursor;
        const int y = listTop + row;
        if (cursor) screen.setAttr(a.x1 + 1, y, a.x2 - 1, y, kCursor);
        screen.put(a.x1 + 1, y, fitEntryName(e, nameWidth), attr, a.x1 + 1 + nameWidth);
        if (sizeWidth) screen.put(sizeX, y, rightAlign(fitName(sizeText(e), sizeWidth), sizeWidth), attr, a.x2);
    }
    if (roomy) drawStatus(screen, a);
}

int PanelList::indexAt(int x, int y) const {
    if (x < listArea_.x1 || x > listArea_.x2 || y < listArea_.y1 || y > listArea_.y2) return -1;
    const int index = top_ + (y - listArea_.y1);
    return index < static_cast<int>(entries_.size()) ? index : -1;
}

void PanelList::drawStatus(term::CellBuffer& screen, const Rect& a) const {
    const PanelEntry* e = currentEntry();
    if (e == nullptr) return;
    char date[32] = "";
    const time_t t = static_cast<time_t>(e->mtime);
    struct tm tmv {};
    // A time of 0 is "none given" (a plug-in's item without dates), not 1970.
    if (e->name != ".." && !e->isMissing && e->mtime != 0 && localtime_r(&t, &tmv)) std::strftime(date, sizeof date, " %Y-%m-%d %H:%M", &tmv);
    const std::string right = " " + sizeText(*e) + date;
    const int rightWidth = term::displayWidth(right);
    const int nameWidth = a.width() - 2 - rightWidth;
    screen.put(a.x1 + 1, a.y2 - 1, fitEntryName(*e, nameWidth), kPanelText, a.x2);
    if (nameWidth >= 1) screen.put(a.x2 - rightWidth, a.y2 - 1, right, kPanelText, a.x2);
}

}  // namespace skimmer::host::app
