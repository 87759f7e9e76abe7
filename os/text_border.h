// The code-page borders where text passes between the console's OEM code page and the ANSI code
// page. On Windows they are two code pages (866 and 1251 on a Russian system), and the system's
// own tables convert between them (OemToCharBuffA / CharToOemBuffA); on Linux both are UTF-8, so
// every function here is an identity that never changes, drops or adds a byte.
//
// Contract: a text keeps its length in bytes (both code pages are single-byte where FAR 1.70's
// ANSI interface runs); a character the other page lacks becomes that page's nearest or default
// character, never a lost byte. Never fails; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::os {

std::string oemToAnsi(std::string_view text);
std::string ansiToOem(std::string_view text);

// Characters the plug-in draws itself (box lines, arrows) in the console's code page: UTF-8 on
// Linux; on Windows the OEM page, where a character it lacks becomes the page's default one.
std::string oemFromUnicode(std::u32string_view text);

// Buffer forms with the Windows calls' shape: `src` (NUL-terminated) into `dst`, which may be the
// same buffer and must hold strlen(src) + 1 bytes.
void oemToAnsi(const char* src, char* dst);
void ansiToOem(const char* src, char* dst);

}  // namespace skimmer::os
