// How many terminal cells a code point takes when drawn: the width the plug-in's self-drawn
// controls lay their text out by, so that it agrees with the host that shows it.
//
// Contract: 2 for wide characters (CJK, emoji: glibc's wcwidth under a UTF-8 locale held here, so
// the process locale never matters), 1 for everything else — combining marks, controls and code
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
// UTF-8 locale exists at all. For a caller with a drawing policy of its own (the host's).
int unicodeWidth(char32_t cp);

}  // namespace skimmer::os
