#include "host/app/command_line.h"
#include "os/utf8.h"

#include <algorithm>

#include "host/term/text_width.h"

namespace skimmer::host::app {
namespace {

constexpr term::Attr kCommandLine = 0x07, kPrefix = 0x07;
namespace k = term::key;

}  // namespace

void CommandLine::setText(const std::string& text) {
    text_ = text;
    cursor_ = text_.size();
    historyPos_ = -1;
}

void CommandLine::insert(const std::string& text) {
    text_.insert(cursor_, text);
    cursor_ += text.size();
}

void CommandLine::insertPaste(const std::string& text) {
    std::string flat;
    flat.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        flat += (c == '\r' || c == '\n') ? ' ' : c;
    }
    insert(flat);
}

size_t CommandLine::previousBoundary(size_t pos) const {
    return os::utf8PreviousStart(text_, pos);
}

size_t CommandLine::nextBoundary(size_t pos) const {
    return pos >= text_.size() ? text_.size() : pos + term::decodeUtf8(text_, pos).length;
}

int CommandLine::cursorColumn() const {
    int column = 0;
    for (size_t pos = 0; pos < cursor_; pos = nextBoundary(pos)) ++column;
    return column;
}

void CommandLine::setCursorColumn(int column) {
    cursor_ = 0;
    for (int i = 0; i < column && cursor_ < text_.size(); ++i) cursor_ = nextBoundary(cursor_);
}

bool CommandLine::handleKey(k::Code key) {
    switch (key) {
        case k::BS:
            if (cursor_ > 0) {
                const size_t start = previousBoundary(cursor_);
                text_.erase(start, cursor_ - start);
                cursor_ = start;
            }
            return true;
        case k::DEL: text_.erase(cursor_, nextBoundary(cursor_) - cursor_); return true;
        case k::LEFT: cursor_ = previousBoundary(cursor_); return true;
        case k::RIGHT: cursor_ = nextBoundary(cursor_); return true;
        case k::HOME: cursor_ = 0; return true;
        case k::END: cursor_ = text_.size(); return true;
        case k::ESC: case k::kCtrl | 'Y': setText(""); return true;
        case k::kCtrl | 'E': recall(-1); return true;
        case k::kCtrl | 'X': recall(+1); return true;
        default: break;
    }
    if ((key & k::kModifierMask) == 0 && key >= 0x20 && key < k::kSpecialBase && key != 0x7F) {
        std::string s;
        term::appendUtf8(s, static_cast<char32_t>(key));
        insert(s);
        return true;
    }
    return false;
}

void CommandLine::recall(int direction) {
    if (history_.empty()) return;
    const int last = static_cast<int>(history_.size()) - 1;
    if (historyPos_ < 0) historyPos_ = direction < 0 ? last : -1;
    else historyPos_ += direction;
    if (historyPos_ < 0 || historyPos_ > last) {
        historyPos_ = -1;
        text_.clear();
    } else {
        text_ = history_[static_cast<size_t>(historyPos_)];
    }
    cursor_ = text_.size();
}

std::string CommandLine::take() {
    std::string line = std::move(text_);
    text_.clear();
    cursor_ = 0;
    historyPos_ = -1;
    if (!line.empty()) {
        history_.erase(std::remove(history_.begin(), history_.end(), line), history_.end());
        history_.push_back(line);
        if (history_.size() > kHistoryLimit) history_.erase(history_.begin());
    }
    return line;
}

void CommandLine::draw(term::CellBuffer& screen, int y, const std::string& prompt, bool showCursor) const {
    if (y < 0 || y >= screen.height()) return;
    screen.fill(0, y, screen.width() - 1, y, U' ', kCommandLine);
    // The prompt takes at most half the line; the text scrolls so that the cursor stays in view.
    const int promptWidth = std::min(term::displayWidth(prompt), screen.width() / 2);
    screen.put(0, y, prompt, kPrefix, promptWidth);
    const int room = std::max(1, screen.width() - promptWidth);
    const int before = term::displayWidth(std::string_view(text_).substr(0, cursor_));
    const int shift = before >= room ? before - room + 1 : 0;
    screen.put(promptWidth - shift, y, text_, kCommandLine);
    screen.fill(0, y, promptWidth - 1, y, U' ', kPrefix);
    screen.put(0, y, prompt, kPrefix, promptWidth);
    if (showCursor) screen.setCursor(promptWidth + before - shift, y, true);
}

}  // namespace skimmer::host::app
