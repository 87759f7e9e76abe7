// The code-page borders where text passes between the console's OEM code page and the ANSI code
// page. On Linux both are UTF-8, so every function here is an identity; the calls stay at the
// borders so that the places are documented and a Windows build can make them real
// (OemToCharA / CharToOemA). Contract: never changes, drops or adds a byte on Linux.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace skimmer::os {

inline std::string oemToAnsi(std::string_view text) { return std::string(text); }
inline std::string ansiToOem(std::string_view text) { return std::string(text); }

// Buffer forms with the Windows calls' shape: `src` (NUL-terminated) into `dst`, which may be the
// same buffer and must hold strlen(src) + 1 bytes.
inline void oemToAnsi(const char* src, char* dst) {
    if (src != dst) std::memmove(dst, src, std::strlen(src) + 1);
}
inline void ansiToOem(const char* src, char* dst) {
    if (src != dst) std::memmove(dst, src, std::strlen(src) + 1);
}

}  // namespace skimmer::os
