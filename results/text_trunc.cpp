#include "results/text_trunc.h"

namespace skimmer::results {
namespace {

// Bytes of the character that starts at `pos`: a valid UTF-8 sequence (no overlongs, no
// surrogates, at most U+10FFFF) as a whole, any other byte alone.
size_t charLength(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    if (pos + length > text.size()) return 1;
    if (byte(pos + 1) < low || byte(pos + 1) > high) return 1;
    for (size_t i = 2; i < length; ++i)
        if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 1;
    return length;
}

}  // namespace

size_t CharCount(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); pos += charLength(text, pos)) ++count;
    return count;
}

std::u32string DecodeChars(std::string_view text) {
    std::u32string out;
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = charLength(text, pos);
        const auto lead = static_cast<unsigned char>(text[pos]);
        char32_t c = 0;
        if (length == 1) {
            c = lead < 0x80 ? lead : 0xDC00 + lead;
        } else {
            c = lead & (0xFF >> (length + 1));
            for (size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
        }
        out.push_back(c);
        pos += length;
    }
    return out;
}

size_t CharOffset(std::string_view text, size_t index) {
    size_t pos = 0;
    for (size_t i = 0; i < index && pos < text.size(); ++i) pos += charLength(text, pos);
    return pos;
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
