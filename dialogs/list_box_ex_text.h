// A row's UTF-8 text as the list box counts it: one column per code point.
//
// Contract: never fails. A byte that does not start a well-formed, shortest-form sequence is one
// column of its own (drawn as U+FFFD), so every byte of a file name is accounted for and the
// column count of a text never depends on what follows a bad byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "os/utf8.h"

namespace skimmer::dialogs {

inline constexpr char32_t kLbxReplacement = os::kReplacementChar;

std::u32string DecodeColumns(std::string_view utf8);

// The number of columns of `utf8` (DecodeColumns(utf8).size() without building it).
int32_t CountColumns(std::string_view utf8);

}  // namespace skimmer::dialogs
