// The text of one dialog edit field: its characters, the cursor, FAR's "unchanged" state and the
// horizontal scroll that keeps the cursor visible.
//
// Contract:
// - Text is held as code points; the cursor counts code points (it never splits a character).
//   Bytes that are not valid UTF-8 survive a round trip exactly: they are held as U+DC80..U+DCFF
//   and written back as the original byte, so a file name with odd bytes is never altered.
// - `maxBytes` bounds the UTF-8 size of the text (FAR's 511 characters of Data); an insertion that
//   would pass it inserts as much as fits, never half a character.
// - Unchanged: while set, the first insertion replaces the whole text and Del clears it;
//   Backspace and cursor moves only clear the flag. It says nothing about the text itself.
// - Inserted text loses control characters (a pasted tab or newline must not reach the screen).
#pragma once

#include <string>
#include <string_view>

namespace skimmer::host::ui {

class EditLine {
public:
    explicit EditLine(std::string_view utf8 = {}, size_t maxBytes = kDefaultMaxBytes);

    static constexpr size_t kDefaultMaxBytes = 511;

    std::string text() const;
    const std::u32string& codePoints() const { return text_; }
    int cursor() const { return cursor_; }
    bool unchanged() const { return unchanged_; }
    size_t maxBytes() const { return maxBytes_; }

    // Replaces the text (cut to maxBytes); the cursor goes to its end; the flag is kept.
    void setText(std::string_view utf8);
    void setCursor(int pos);  // clamped to 0..length
    void setUnchanged(bool on) { unchanged_ = on; }
    void setMaxBytes(size_t bytes);

    // Each returns true when the text changed.
    bool insert(std::string_view utf8);
    bool backspace();
    bool deleteForward();
    bool clear();

    // Cursor moves; they clear the unchanged flag as FAR does.
    void home();
    void end();
    void left();
    void right();
    void wordLeft();
    void wordRight();

    // First code point shown in a field `width` cells wide, keeping the cursor inside it.
    int scrollFor(int width);

private:
    size_t byteSize() const;

    std::u32string text_;
    int cursor_ = 0;
    int scroll_ = 0;
    bool unchanged_ = false;
    size_t maxBytes_;
};

// UTF-8 bytes <-> code points with odd bytes kept as U+DC80..U+DCFF (see EditLine).
std::u32string decodeKeepingBytes(std::string_view utf8);
std::string encodeKeepingBytes(std::u32string_view text);

}  // namespace skimmer::host::ui
