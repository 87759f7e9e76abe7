// Breaks one line of message text into lines that fit a width in terminal cells.
//
// Contract: lines break at blanks (the blanks at a break are dropped); a word wider than the width
// is split between characters, never inside a UTF-8 sequence and never between a character and
// the combining marks after it. Every non-blank character of the input appears exactly once in
// the output, in order. A line that fits is returned as it stands (leading blanks included).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::ui {

std::vector<std::string> wrapText(std::string_view line, int width);

}  // namespace skimmer::host::ui
