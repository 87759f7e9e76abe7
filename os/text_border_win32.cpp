// Windows: the system's OEM and ANSI tables. The calls count in DWORD; a text is converted in
// slices so that none is cut, whatever its length.
#include "os/text_border.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

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
void oemToAnsi(const char* src, char* dst) { convertBuffer(&::OemToCharBuffA, src, dst); }
void ansiToOem(const char* src, char* dst) { convertBuffer(&::CharToOemBuffA, src, dst); }

}  // namespace skimmer::os
