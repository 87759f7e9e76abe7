// Windows: the system's OEM and ANSI tables. The calls count in DWORD; a text is converted in
// slices so that none is cut, whatever its length.
#include "os/text_border.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "os/utf8.h"
#include "os/wide_text.h"

namespace skimmer::os {

namespace {

constexpr size_t kSlice = 1u << 30;

using Convert = BOOL(WINAPI*)(LPCSTR, LPSTR, DWORD);

// Both calls map byte to byte and accept the same buffer as source and destination.
void convertInPlace(Convert convert, char* text, size_t size) {
    for (size_t done = 0; done < size;) {
        const size_t step = std::min(kSlice, size - done);
        convert(text + done, text + done, static_cast<DWORD>(step));
        done += step;
    }
}

std::string converted(Convert convert, std::string_view text) {
    std::string out(text);
    convertInPlace(convert, out.data(), out.size());
    return out;
}

void convertBuffer(Convert convert, const char* src, char* dst) {
    const size_t size = std::strlen(src);
    if (src != dst) std::memmove(dst, src, size + 1);
    convertInPlace(convert, dst, size);
}

}  // namespace

std::string oemToAnsi(std::string_view text) { return converted(&::OemToCharBuffA, text); }
std::string ansiToOem(std::string_view text) { return converted(&::CharToOemBuffA, text); }
std::string oemFromUnicode(std::u32string_view text) {
    std::string utf8;
    for (const char32_t cp : text) appendUtf8(utf8, cp);
    const std::wstring wide = wideFromUtf8(utf8);
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(CP_OEMCP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    ::WideCharToMultiByte(CP_OEMCP, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::u32string consoleColumns(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (const char byte : text) {
        wchar_t wide = L'?';
        ::MultiByteToWideChar(CP_OEMCP, MB_USEGLYPHCHARS, &byte, 1, &wide, 1);
        out += static_cast<char32_t>(wide);
    }
    return out;
}

size_t consoleColumnCount(std::string_view text) { return text.size(); }

uint16_t consoleCellChar(char32_t ch) {
    if (ch < 0x80) return static_cast<uint16_t>(ch);
    const std::string oem = oemFromUnicode(std::u32string_view(&ch, 1));
    return oem.empty() ? uint16_t{'?'} : static_cast<uint8_t>(oem.front());
}

char32_t unicodeOfConsoleCell(uint16_t cell) {
    // The page's glyphs for its low bytes too (0x1E is the up arrow, not a control character).
    const char byte = static_cast<char>(cell & 0xFF);
    wchar_t wide = L'?';
    ::MultiByteToWideChar(CP_OEMCP, MB_USEGLYPHCHARS, &byte, 1, &wide, 1);
    return static_cast<char32_t>(wide);
}

void oemToAnsi(const char* src, char* dst) { convertBuffer(&::OemToCharBuffA, src, dst); }
void ansiToOem(const char* src, char* dst) { convertBuffer(&::CharToOemBuffA, src, dst); }

}  // namespace skimmer::os
