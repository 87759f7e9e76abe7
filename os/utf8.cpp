#include "os/utf8.h"

#include <algorithm>

namespace skimmer::os {

namespace {

struct LeadByte {
    size_t length;      // 0: cannot start a sequence
    char32_t bits;      // the code point bits it carries
    char32_t smallest;  // below this, the sequence is an overlong form
};

constexpr LeadByte leadOf(unsigned char b) {
    if (b < 0x80) return {1, b, 0};
    if ((b & 0xE0) == 0xC0) return {2, char32_t{b} & 0x1F, 0x80};
    if ((b & 0xF0) == 0xE0) return {3, char32_t{b} & 0x0F, 0x800};
    if ((b & 0xF8) == 0xF0) return {4, char32_t{b} & 0x07, 0x10000};
    return {0, 0, 0};
}

constexpr bool isScalar(char32_t cp) { return cp <= kMaxCodePoint && !(cp >= 0xD800 && cp <= 0xDFFF); }

}  // namespace

size_t decodeUtf8(std::string_view text, size_t pos, char32_t& cp) {
    const LeadByte lead = leadOf(static_cast<unsigned char>(text[pos]));
    cp = kReplacementChar;
    if (lead.length == 0 || lead.length > text.size() - pos) return 0;
    char32_t value = lead.bits;
    for (size_t k = 1; k < lead.length; ++k) {
        const auto byte = static_cast<unsigned char>(text[pos + k]);
        if (!isUtf8Continuation(byte)) return 0;
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < lead.smallest || !isScalar(value)) return 0;
    cp = value;
    return lead.length;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (!isScalar(cp)) cp = kReplacementChar;
    const auto put = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

size_t utf8CutPoint(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text.size();
    size_t n = limit;
    while (n > 0 && isUtf8Continuation(static_cast<unsigned char>(text[n]))) --n;
    return n;
}

size_t utf8PreviousStart(std::string_view text, size_t pos) {
    if (pos == 0) return 0;
    --pos;
    while (pos > 0 && isUtf8Continuation(static_cast<unsigned char>(text[pos]))) --pos;
    return pos;
}

size_t utf8CharLength(std::string_view text, size_t pos) {
    char32_t ignored;
    const size_t length = decodeUtf8(text, pos, ignored);
    return length == 0 ? 1 : length;
}

// The search window counts and cuts every line it formats through the two below, and nearly
// every byte of a file name is ASCII: such a byte is one character without a call to the decoder
// (the answer utf8CharLength gives for it), which keeps a line's count a tight loop.
size_t utf8CharacterOffset(std::string_view text, size_t count) {
    size_t pos = 0;
    for (; pos < text.size() && count > 0; --count)
        pos += static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : utf8CharLength(text, pos);
    return pos;
}

size_t utf8CharacterCount(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); ++count)
        pos += static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : utf8CharLength(text, pos);
    return count;
}

size_t utf8StartCount(std::string_view text) {
    const auto starts = [](char c) { return !isUtf8Continuation(static_cast<unsigned char>(c)); };
    return static_cast<size_t>(std::ranges::count_if(text, starts));
}

std::string_view trimStart(std::string_view text, std::string_view chars) {
    const size_t first = text.find_first_not_of(chars);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view trimEnd(std::string_view text, std::string_view chars) {
    const size_t last = text.find_last_not_of(chars);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view trim(std::string_view text, std::string_view chars) { return trimStart(trimEnd(text, chars), chars); }

std::string_view trimLine(std::string_view text) { return trimStart(trimEnd(text, kLineBlanks), kBlanks); }

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = asciiLower(c);
    return out;
}

bool equalsAsciiCaseless(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool startsWithAsciiCaseless(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsAsciiCaseless(text.substr(0, prefix.size()), prefix);
}

}  // namespace skimmer::os
