// Where the cursor and the first shown row may go: hidden rows are stepped over, unselectable
// rows are drawn but never current, and the current row is always inside the window.
#include <algorithm>

#include "dialogs/list_box_ex.h"

namespace skimmer::dialogs {
namespace {

bool hidden(const TListBoxExData& data, int32_t i) { return (data.Items[static_cast<size_t>(i)].Flags & kLbxHidden) != 0; }

bool selectable(const TListBoxExData& data, int32_t i) {
    return (data.Items[static_cast<size_t>(i)].Flags & kLbxUnselectable) == 0;
}

// The nearest selectable row strictly beyond `from` in one direction, or -1.
int32_t nearestSelectable(const TListBoxExData& data, int32_t from, bool down) {
    const int32_t dir = down ? 1 : -1;
    for (int32_t i = from + dir; i >= 0 && i < data.Count(); i += dir)
        if (selectable(data, i)) return i;
    return -1;
}

}  // namespace

int32_t Step(const TListBoxExData& data, int32_t i, int32_t n, bool down) {
    const int32_t dir = down ? 1 : -1;
    const int32_t count = data.Count();
    if (n <= 0) {
        for (int32_t j = i; j >= 0 && j < count; j += dir)
            if (!hidden(data, j)) return j;
        return -1;
    }
    int32_t j = i;
    while (n > 0) {
        j += dir;
        if (j < 0 || j >= count) return -1;
        if (!hidden(data, j)) --n;
    }
    return j;
}

int32_t StepWrap(const TListBoxExData& data, int32_t i, int32_t n, bool down) {
    int32_t r = Step(data, i, n, down);
    if (r != -1 || data.Items.empty()) return r;
    r = down ? data.Count() - 1 : 0;
    return hidden(data, r) ? Step(data, r, 1, !down) : r;
}

void FixCurrent(TListBoxExData& data, bool preferDown) {
    if (data.Items.empty()) {
        data.Current = -1;
        return;
    }
    // Moving up onto row 1 under an unselectable row 0 (a group's title) shows that title too.
    if (data.Current == 1 && data.Count() > 1 && data.Top != 0 && !preferDown && !selectable(data, 0) &&
        selectable(data, 1)) {
        data.Top = 0;
        return;
    }
    data.Current = std::clamp(data.Current, 0, data.Count() - 1);
    if (selectable(data, data.Current)) return;
    int32_t found = nearestSelectable(data, data.Current, preferDown);
    if (found == -1) found = nearestSelectable(data, data.Current, !preferDown);
    if (found != -1) data.Current = found;
}

void FixTop(TListBoxExData& data, int32_t height) {
    if (data.Items.empty()) {
        data.Top = -1;
        return;
    }
    data.Top = std::clamp(data.Top, 0, data.Count() - 1);
    if (data.Current < 0) {  // nothing current: only make sure the first shown row is a shown one
        data.Top = StepWrap(data, data.Top, 0, true);
        return;
    }
    data.Top = std::min(data.Top, data.Current);
    int32_t lowest = StepWrap(data, data.Current, std::max(height, 1) - 1, false);
    if (lowest == -1 || lowest > data.Current) lowest = data.Current;
    data.Top = StepWrap(data, data.Top, 0, true);
    if (!(lowest <= data.Top && data.Top <= data.Current)) data.Top = lowest;
}

}  // namespace skimmer::dialogs
