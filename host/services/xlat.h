// XLat: a text typed in the wrong keyboard layout, converted to the other one. The table is the
// standard pair of PC layouts, US QWERTY and Russian ЙЦУКЕН: each key's character in one layout
// becomes the same key's character in the other.
//
// Contract:
// - The table is a bijection between the 66 characters of the letter keys in each layout (the
//   Cyrillic letters х ъ ж э б ю ё sit on the Latin [ ] ; ' , . ` keys, upper case on { } : " < > ~),
//   so converting twice gives the input back. Every other character is left unchanged.
// - Positions count code points; the text is UTF-8 and may grow (a Latin letter takes one byte, a
//   Cyrillic one two), which is why the buffer form returns a new string.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::host::services {

// The other layout's character of `ch`, or `ch` when it is not on a letter key.
char32_t xlatChar(char32_t ch);

// `line` with the code points at positions [start, end) converted; positions outside the text are
// clipped, and bytes that are not UTF-8 are copied unchanged. With `mayGrow` false a character
// whose counterpart takes more bytes stays as it is, so the result is never longer than `line`
// (for converting a caller's buffer of unknown size in place).
std::string xlatRange(std::string_view line, int start, int end, bool mayGrow = true);

}  // namespace skimmer::host::services
