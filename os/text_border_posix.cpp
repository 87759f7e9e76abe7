// Linux: the console and the ANSI side are both UTF-8, so the borders copy bytes as they are.
#include "os/text_border.h"

#include <cstring>

#include "os/utf8.h"

namespace skimmer::os {

std::string oemToAnsi(std::string_view text) { return std::string(text); }
std::string ansiToOem(std::string_view text) { return std::string(text); }

std::string oemFromUnicode(std::u32string_view text) {
    std::string out;
    for (const char32_t cp : text) appendUtf8(out, cp);
    return out;
}

namespace {

// The code point at `pos` and its length; one bad byte is one column of U+FFFD.
size_t decodeAt(std::string_view text, size_t pos, char32_t& cp) {
    const size_t length = decodeUtf8(text, pos, cp);
    return length == 0 ? 1 : length;
}

}  // namespace

std::u32string consoleColumns(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        pos += decodeAt(text, pos, cp);
        out += cp;
    }
    return out;
}

size_t consoleColumnCount(std::string_view text) {
    size_t n = 0;
    char32_t cp = 0;
    for (size_t pos = 0; pos < text.size(); ++n) pos += decodeAt(text, pos, cp);
    return n;
}

uint16_t consoleCellChar(char32_t ch) { return static_cast<uint16_t>(ch); }

char32_t unicodeOfConsoleCell(uint16_t cell) { return cell; }

void oemToAnsi(const char* src, char* dst) {
    if (src != dst) std::memmove(dst, src, std::strlen(src) + 1);
}

void ansiToOem(const char* src, char* dst) {
    if (src != dst) std::memmove(dst, src, std::strlen(src) + 1);
}

}  // namespace skimmer::os
