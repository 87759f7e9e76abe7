#include "results/text_trunc.h"

#include "os/cell_width.h"
#include "os/utf8.h"

namespace skimmer::results {
namespace {

// The cells of the character that starts at `pos`, and its length in bytes.
size_t charCells(std::string_view text, size_t pos, size_t& length) {
    char32_t cp = 0;
    length = os::decodeUtf8(text, pos, cp);
    if (length == 0) {
        length = 1;
        return 1;  // drawn as one replacement cell
    }
    return static_cast<size_t>(os::cellWidth(cp));
}

}  // namespace

std::string TruncRightCells(std::string_view Text, int MaxCells) {
    const size_t max = MaxCells < 0 ? 0 : static_cast<size_t>(MaxCells);
    if (os::textCells(Text) <= max) return std::string(Text);
    if (max < 4) return std::string(max, '.');
    size_t pos = 0, cells = 0, length = 0;
    while (pos < Text.size()) {
        const size_t next = charCells(Text, pos, length);
        if (cells + next > max - 4) break;
        cells += next;
        pos += length;
    }
    return std::string(Text.substr(0, pos)) + "....";
}

size_t CharCount(std::string_view text) {
    return os::utf8CharacterCount(text);
}

size_t CharOffset(std::string_view text, size_t index) {
    return os::utf8CharacterOffset(text, index);
}

std::string_view FirstChars(std::string_view text, size_t count) { return text.substr(0, CharOffset(text, count)); }

std::string_view LastChars(std::string_view text, size_t count) {
    const size_t total = CharCount(text);
    if (count >= total) return text;
    return text.substr(CharOffset(text, total - count));
}

std::string TruncRight(std::string_view Text, int Max) {
    const size_t max = Max < 0 ? 0 : static_cast<size_t>(Max);
    if (CharCount(Text) <= max) return std::string(Text);
    if (max < 4) return std::string(max, '.');
    return std::string(FirstChars(Text, max - 4)) + "....";
}

std::string TruncMiddle(std::string_view Text, int Max) {
    const size_t max = Max < 0 ? 0 : static_cast<size_t>(Max);
    if (CharCount(Text) <= max) return std::string(Text);
    if (max < 3) return std::string(max, '.');
    const size_t left = (max - 3) / 2;
    const size_t right = max - 3 - left;
    return std::string(FirstChars(Text, left)) + "..." + std::string(LastChars(Text, right));
}

}  // namespace skimmer::results
