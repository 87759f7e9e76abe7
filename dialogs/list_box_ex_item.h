// One row of the extended list box: what the owner hands in, and what the list box keeps.
//
// Contract: `Text` is UTF-8; the list box counts characters as code points, so each attribute
// array holds one FAR colour attribute per code point of `Text` (or is empty, and the list box
// fills it with its default for that drawing state). Values only; the list box copies what it is
// given and owns its copies.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace skimmer::dialogs {

// Flag bits of a row. A row with any of kLbxHighlighted, kLbxHidden or kLbxSeparator can never
// become the current row.
constexpr uint32_t kLbxMarked = 1;
constexpr uint32_t kLbxHighlighted = 2;
constexpr uint32_t kLbxHidden = 4;
constexpr uint32_t kLbxSeparator = 8;
constexpr uint32_t kLbxUnselectable = kLbxHighlighted | kLbxHidden | kLbxSeparator;
static_assert(kLbxUnselectable == 14);

// Drawing states, the index into Attr.
constexpr int kLbxNormal = 0;
constexpr int kLbxCurrent = 1;
constexpr int kLbxHighlight = 2;

using TByteArray = std::vector<uint8_t>;

struct TListBoxExItem {
    uint32_t Flags = 0;
    uint32_t HotKey = 0;    // normalised: upper case when it is a letter
    char32_t MarkChar = 0;  // shown in the first column of a marked row; 0 shows "?"
    std::string Text;
    std::array<TByteArray, 3> Attr;  // [kLbxNormal], [kLbxCurrent], [kLbxHighlight]
};

}  // namespace skimmer::dialogs
