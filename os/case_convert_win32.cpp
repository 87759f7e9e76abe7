// Upper and lower case of utf8.h through the system's own tables (CharUpperBuffW/CharLowerBuffW),
// which is what FAR's LUpper/LLower use on Windows, so hot keys and sort orders agree with FAR.
#include "os/utf8.h"

#include <windows.h>

namespace skimmer::os {
namespace {

constexpr bool isScalar(char32_t cp) { return cp <= kMaxCodePoint && !(cp >= 0xD800 && cp <= 0xDFFF); }

using MapCall = DWORD(WINAPI*)(LPWSTR, DWORD);

// One code point as one or two UTF-16 units, mapped in place; a result that is no longer one
// scalar (a pair torn apart) leaves the code point as it was.
char32_t mapBeyondAscii(char32_t cp, MapCall map) {
    if (!isScalar(cp)) return cp;
    wchar_t units[2] = {};
    DWORD count = 1;
    if (cp < 0x10000) {
        units[0] = static_cast<wchar_t>(cp);
    } else {
        const char32_t v = cp - 0x10000;
        units[0] = static_cast<wchar_t>(0xD800 + (v >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + (v & 0x3FF));
        count = 2;
    }
    map(units, count);
    if (count == 1) return isScalar(units[0]) ? static_cast<char32_t>(units[0]) : cp;
    const bool pair = units[0] >= 0xD800 && units[0] <= 0xDBFF && units[1] >= 0xDC00 && units[1] <= 0xDFFF;
    if (!pair) return cp;
    return 0x10000 + ((static_cast<char32_t>(units[0]) - 0xD800) << 10) + (static_cast<char32_t>(units[1]) - 0xDC00);
}

}  // namespace

char32_t upperCase(char32_t cp) {
    if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 'a' + 'A' : cp;
    return mapBeyondAscii(cp, &::CharUpperBuffW);
}

char32_t lowerCase(char32_t cp) {
    if (cp < 0x80) return static_cast<char32_t>(asciiLower(static_cast<char>(cp)));
    return mapBeyondAscii(cp, &::CharLowerBuffW);
}

}  // namespace skimmer::os
