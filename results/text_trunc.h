// Shortening texts to a width, counted in characters (code points of UTF-8), never splitting one:
// the result lines, the full-information columns and the panel's progress titles use these.
//
// Contract: pure. A byte that does not start a valid UTF-8 sequence counts as one character and
// is kept as it is, so a file name's exact bytes survive wherever they are not cut.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace skimmer::results {

// Characters in `text`.
size_t CharCount(std::string_view text);
// The byte offset where character `index` starts (text.size() when index >= CharCount).
size_t CharOffset(std::string_view text, size_t index);
// The first `count` characters / the last `count` characters.
std::string_view FirstChars(std::string_view text, size_t count);
std::string_view LastChars(std::string_view text, size_t count);

// Longer than Max: the first Max - 4 characters and "....", exactly Max long (for Max below 4,
// the first Max dots). Otherwise the text unchanged. A negative Max counts as 0.
std::string TruncRight(std::string_view Text, int Max);

// TruncRight counted in cells (os::textCells), for a text that must end inside a frame: wider than MaxCells, the
// first characters that fit in MaxCells - 4 cells and "....", never wider than MaxCells (one cell
// less when a wide character would straddle the cut); otherwise the text unchanged.
std::string TruncRightCells(std::string_view Text, int MaxCells);

// Longer than Max: the first (Max - 3) / 2 characters, "...", and the last Max - 3 - that many;
// exactly Max long (for Max below 3, the first Max dots). Otherwise the text unchanged.
std::string TruncMiddle(std::string_view Text, int Max);

}  // namespace skimmer::results
