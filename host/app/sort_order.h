// How a panel orders its entries: FAR's sort modes (SM_*), each also in reverse, and the keys
// that choose them.
//
// Contract:
// - ".." always comes first. Folders come before files in every mode but SM_UNSORTED, which keeps
//   the order the entries were given in (a plug-in's own order, a folder's reading order).
// - Names compare as bytes. A tie on any key falls back to the name and then to the given order,
//   so the same entries always come out in the same order.
// - Times, sizes and link counts put the largest (newest) first, as FAR does; the other keys go
//   ascending. Reverse turns each group around; ".." stays first and folders before files.
// - SM_DEFAULT and unknown modes are taken as SM_NAME.
// - With `selectedFirst` (FAR's "Show selected first", Shift+F12) the selected entries come right
//   after "..", each part ordered as above; the order is applied when it is set and when the
//   entries are read again, not at every change of the selection (the cursor would jump).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "far/panel.h"
#include "host/term/key_codes.h"

namespace skimmer::host::app {

struct PanelEntry;

struct SortOrder {
    int mode = SM_NAME;
    bool reverse = false;
    bool selectedFirst = false;
    bool operator==(const SortOrder&) const = default;
};

// A mode the host sorts by: SM_UNSORTED … SM_NUMLINKS.
bool isSortMode(int mode);
SortOrder normalised(SortOrder order);

// The entries' new order: element i is the index (in `entries`) of the entry to show i-th.
std::vector<size_t> sortPermutation(const std::vector<PanelEntry>& entries, SortOrder order);

// The letter drawn in the panel's top-left corner: lower case, upper case when reversed.
char sortLetter(SortOrder order);

// The mode a key chooses: Ctrl+F3 name, F4 extension, F5 modification time, F6 size, F7 unsorted,
// F8 creation time, F9 access time, F10 description, F11 owner.
std::optional<int> sortModeForKey(term::key::Code key);

// The order after the key of `mode` was pressed: the mode's own key again turns the order around;
// "selected first" stays as it was.
SortOrder chooseSort(SortOrder now, int mode);

}  // namespace skimmer::host::app
