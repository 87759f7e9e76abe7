// The code-page borders where text passes between the console's OEM code page and the ANSI code
// page. On Windows they are two code pages (866 and 1251 on a Russian system), and the system's
// own tables convert between them (OemToCharBuffA / CharToOemBuffA); on Linux both are UTF-8, so
// every function here is an identity that never changes, drops or adds a byte.
//
// Contract: a text keeps its length in bytes (both code pages are single-byte where FAR 1.70's
// ANSI interface runs); a character the other page lacks becomes that page's nearest or default
// character, never a lost byte. Never fails; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace skimmer::os {

std::string oemToAnsi(std::string_view text);
std::string ansiToOem(std::string_view text);

// Characters the plug-in draws itself (box lines, arrows) in the console's code page: UTF-8 on
// Linux; on Windows the OEM page, where a character it lacks becomes the page's default one.
std::string oemFromUnicode(std::u32string_view text);

// A text in the console's code page as the characters its columns show, one per column: on Linux
// UTF-8, where a byte that starts no well-formed, shortest-form sequence is one column of U+FFFD
// (so every byte is accounted for); on Windows one character per byte of the OEM page.
std::u32string consoleColumns(std::string_view text);
size_t consoleColumnCount(std::string_view text);  // consoleColumns(text).size(), without building it

// What one console cell (CHAR_INFO) carries for `ch`: the UTF-16 unit the Linux host reads; on
// Windows the OEM byte that FAR 1.70 reads from the cell's low byte (a character the page lacks
// becomes the page's default one).
uint16_t consoleCellChar(char32_t ch);
// The character a console cell shows, as the host reads consoleCellChar's value back.
char32_t unicodeOfConsoleCell(uint16_t cell);

// Buffer forms with the Windows calls' shape: `src` (NUL-terminated) into `dst`, which may be the
// same buffer and must hold strlen(src) + 1 bytes.
void oemToAnsi(const char* src, char* dst);
void ansiToOem(const char* src, char* dst);

}  // namespace skimmer::os
