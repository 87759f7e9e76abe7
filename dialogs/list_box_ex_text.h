// A row's text (in the console's code page) as the list box counts it: one column per character.
//
// Contract: never fails; the system's reading of the page (os/text_border.h, consoleColumns). On
// Linux the page is UTF-8: a byte that does not start a well-formed, shortest-form sequence is
// one column of its own (drawn as U+FFFD), so every byte of a file name is accounted for and the
// column count of a text never depends on what follows a bad byte. On Windows every byte is one
// column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "os/utf8.h"

namespace skimmer::dialogs {

inline constexpr char32_t kLbxReplacement = os::kReplacementChar;

std::u32string DecodeColumns(std::string_view text);

// The number of columns of `text` (DecodeColumns(text).size() without building it).
int32_t CountColumns(std::string_view text);

}  // namespace skimmer::dialogs
