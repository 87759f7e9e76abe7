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

void oemToAnsi(const char* src, char* dst) {
    if (src != dst) std::memmove(dst, src, std::strlen(src) + 1);
}

void ansiToOem(const char* src, char* dst) {
    if (src != dst) std::memmove(dst, src, std::strlen(src) + 1);
}

}  // namespace skimmer::os
