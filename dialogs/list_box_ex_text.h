// A row's UTF-8 text as the list box counts it: one column per code point.
//
// Contract: never fails. A byte that does not start a well-formed, shortest-form sequence is one
// column of its own (drawn as U+FFFD), so every byte of a file name is accounted for and the
// column count of a text never depends on what follows a bad byte.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::dialogs {

inline constexpr char32_t kLbxReplacement = U'\uFFFD';

std::u32string DecodeColumns(std::string_view utf8);

// The number of columns of `utf8` (DecodeColumns(utf8).size() without building it).
int32_t CountColumns(std::string_view utf8);

}  // namespace skimmer::dialogs

namespace skimmer::dialogs {

// Appends the UTF-8 form of `cp` (a value that is no code point appends U+FFFD).
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace skimmer::dialogs
