// Lists for the list box's tests, written as one letter per row so that a case reads as a picture
// of the list: '.' an ordinary row, 'h' hidden, 's' a separator, 'l' highlighted, 'm' marked.
#pragma once

#include <string>
#include <string_view>

#include "dialogs/list_box_ex.h"

namespace skimmer::dialogs::test {

inline uint32_t flagsOf(char c) {
    switch (c) {
        case 'h': return kLbxHidden;
        case 's': return kLbxSeparator;
        case 'l': return kLbxHighlighted;
        case 'm': return kLbxMarked;
        default: return 0;
    }
}

// Row i's text is "row<i>".
inline TListBoxExItem row(int i, uint32_t flags = 0) {
    TListBoxExItem item;
    item.Flags = flags;
    item.Text = "row" + std::to_string(i);
    return item;
}

inline TListBoxExData listOf(std::string_view shape, int32_t current = -1, int32_t top = -1) {
    TListBoxExData data;
    for (size_t i = 0; i < shape.size(); ++i) data.Items.push_back(row(static_cast<int>(i), flagsOf(shape[i])));
    data.Current = current;
    data.Top = top;
    return data;
}

}  // namespace skimmer::dialogs::test
