#include "host/ui/edit_line.h"

#include <algorithm>
#include <cctype>

#include "host/term/text_width.h"

namespace skimmer::host::ui {

namespace {

bool isRawByte(char32_t cp) { return cp >= 0xDC80 && cp <= 0xDCFF; }

size_t encodedSize(char32_t cp) {
    if (isRawByte(cp) || cp < 0x80) return 1;
    if (cp < 0x800) return 2;
    if (cp < 0x10000) return 3;
    return 4;
}

bool isControl(char32_t cp) { return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0); }

bool isWordChar(char32_t cp) { return cp > 0x7F || std::isalnum(static_cast<int>(cp)) || cp == '_'; }

}  // namespace

std::u32string decodeKeepingBytes(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        auto step = term::decodeUtf8(utf8, i);
        out.push_back(step.valid ? step.cp : 0xDC00 | static_cast<unsigned char>(utf8[i]));
        i += step.valid ? step.length : 1;
    }
    return out;
}

std::string encodeKeepingBytes(std::u32string_view text) {
    std::string out;
    for (char32_t cp : text) {
        if (isRawByte(cp))
            out.push_back(static_cast<char>(cp & 0xFF));
        else
            term::appendUtf8(out, cp);
    }
    return out;
}

EditLine::EditLine(std::string_view utf8, size_t maxBytes) : maxBytes_(maxBytes) { setText(utf8); }

std::string EditLine::text() const { return encodeKeepingBytes(text_); }

size_t EditLine::byteSize() const {
    size_t n = 0;
    for (char32_t cp : text_) n += encodedSize(cp);
    return n;
}

void EditLine::setText(std::string_view utf8) {
    text_.clear();
    size_t bytes = 0;
    for (char32_t cp : decodeKeepingBytes(utf8)) {
        if (bytes + encodedSize(cp) > maxBytes_) break;
        bytes += encodedSize(cp);
        text_.push_back(cp);
    }
    cursor_ = static_cast<int>(text_.size());
    scroll_ = 0;
}

void EditLine::setCursor(int pos) { cursor_ = std::clamp(pos, 0, static_cast<int>(text_.size())); }

void EditLine::setMaxBytes(size_t bytes) {
    maxBytes_ = bytes;
    if (byteSize() > maxBytes_) setText(text());
}

bool EditLine::insert(std::string_view utf8) {
    std::u32string add;
    for (char32_t cp : decodeKeepingBytes(utf8))
        if (!isControl(cp)) add.push_back(cp);
    if (add.empty()) return false;
    bool changed = false;
    if (unchanged_) {
        changed = !text_.empty();
        text_.clear();
        cursor_ = 0;
        unchanged_ = false;
    }
    size_t bytes = byteSize();
    size_t fit = 0;
    while (fit < add.size() && bytes + encodedSize(add[fit]) <= maxBytes_) bytes += encodedSize(add[fit++]);
    text_.insert(static_cast<size_t>(cursor_), add, 0, fit);
    cursor_ += static_cast<int>(fit);
    return changed || fit > 0;
}

bool EditLine::clear() {
    unchanged_ = false;
    cursor_ = 0;
    if (text_.empty()) return false;
    text_.clear();
    return true;
}

// FAR's default ("Backspace deletes unchanged text" off): Backspace only ends the unchanged
// state and deletes one character, unlike Del, which takes the whole unchanged text.
bool EditLine::backspace() {
    unchanged_ = false;
    if (cursor_ == 0) return false;
    text_.erase(static_cast<size_t>(--cursor_), 1);
    return true;
}

bool EditLine::deleteForward() {
    if (unchanged_) return clear();
    if (cursor_ >= static_cast<int>(text_.size())) return false;
    text_.erase(static_cast<size_t>(cursor_), 1);
    return true;
}

void EditLine::home() {
    unchanged_ = false;
    cursor_ = 0;
}

void EditLine::end() {
    unchanged_ = false;
    cursor_ = static_cast<int>(text_.size());
}

void EditLine::left() {
    unchanged_ = false;
    if (cursor_ > 0) --cursor_;
}

void EditLine::right() {
    unchanged_ = false;
    if (cursor_ < static_cast<int>(text_.size())) ++cursor_;
}

void EditLine::wordLeft() {
    unchanged_ = false;
    while (cursor_ > 0 && !isWordChar(text_[cursor_ - 1])) --cursor_;
    while (cursor_ > 0 && isWordChar(text_[cursor_ - 1])) --cursor_;
}

void EditLine::wordRight() {
    unchanged_ = false;
    const int n = static_cast<int>(text_.size());
    while (cursor_ < n && isWordChar(text_[cursor_])) ++cursor_;
    while (cursor_ < n && !isWordChar(text_[cursor_])) ++cursor_;
}

int EditLine::scrollFor(int width) {
    if (width <= 0) return scroll_ = cursor_;
    scroll_ = std::min(scroll_, cursor_);
    auto span = [&] {
        int w = 0;
        for (int i = scroll_; i < cursor_; ++i) w += term::charWidth(text_[i]);
        return w;
    };
    // The cursor cell itself must fit, so the text before it may take at most width - 1 cells.
    while (scroll_ < cursor_ && span() > width - 1) ++scroll_;
    return scroll_;
}

}  // namespace skimmer::host::ui
