// How many terminal cells a code point takes when drawn: the width the plug-in's self-drawn
// controls lay their text out by, so that it agrees with the host that shows it.
//
// Contract: 2 for wide characters (CJK, emoji: on Linux glibc's wcwidth under a UTF-8 locale held
// here, so the process locale never matters; on Windows the fixed table of `isWide`, the same set),
// 1 for everything else — combining marks, controls and code
// points with no agreed width included, because the host draws each of those in one cell (a mark on
// a blank, the others as a placeholder). Never fails; thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

namespace skimmer::os {

int cellWidth(char32_t cp);

// The cells a UTF-8 text takes: the sum of its characters' cellWidth, a byte that is not part of a
// well-formed sequence counting one (it is drawn as one placeholder cell).
size_t textCells(std::string_view text);

// glibc's own answer for `cp` under that UTF-8 locale: -1 (no agreed width), 0, 1 or 2; 1 when no
// UTF-8 locale exists at all. For a caller with a drawing policy of its own (the host's). On
// Windows, which has no such answer, the table's: 2 for a wide character, else 1.
int unicodeWidth(char32_t cp);

// Whether `cp` is in the fixed table of wide characters: Unicode's East Asian Wide and Fullwidth
// characters and the emoji drawn as pictures, as glibc 2.36 measures them (Linux tests hold the
// table to glibc's answer for every code point). The same on every system.
bool isWide(char32_t cp);

}  // namespace skimmer::os
