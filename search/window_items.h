// The search window's dialog items by index: the one place their ids are written, for the
// window that builds them, the layout that places them, and the filing that sends rows to the
// list from the search thread.
//
// Contract: constants only, in the dialog's item order. A window with fewer items (no buttons, or
// no counter of its own) has the first ones of these, under the same ids.
#pragma once

namespace skimmer::search {

constexpr int kItemFrame = 0;
constexpr int kItemEdit = 1;
constexpr int kItemList = 2;
constexpr int kItemCounter = 3;
constexpr int kItemFirstButton = 4;  // view; then temporary panel, full info, settings, go to file
constexpr int kItemLastButton = 8;
constexpr int kItemSeparator = 9;
constexpr int kAllItems = 10;
static_assert(kItemLastButton - kItemFirstButton + 1 == 5);

}  // namespace skimmer::search
