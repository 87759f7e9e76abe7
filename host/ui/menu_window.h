// FAR's vertical menu (the Menu service): a framed list with a title and a bottom line, hot keys,
// check marks, separators, scrolling within a maximum height, wrap-around and break keys.
//
// Contract: `runMenu` runs on the UI thread with the UI lock free or held by this thread; it
// returns the chosen entry's index (into `MenuRequest::entries`) or -1, and the index of the break
// key that ended the menu or -1. Entries are values; the caller's FAR structures are never touched.
#pragma once

#include <string>
#include <vector>

#include "far/win_types.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::ui {

struct MenuEntry {
    std::string text;
    bool selected = false;
    char32_t checkMark = 0;  // 0: not checked
    bool separator = false;
    bool disabled = false;
    bool hidden = false;
    int accelKey = 0;        // FarMenuItemEx::AccelKey: a FAR key that chooses the entry at once
};

struct MenuRequest {
    int x = -1, y = -1;  // -1: centred
    int maxHeight = 0;   // rows of entries; 0: as many as the screen holds
    DWORD flags = 0;     // FMENU_*
    std::string title, bottom;
    std::string helpTopic;  // F1 shows it from the help beside the module of `pluginNumber`
    int pluginNumber = -1;
    std::vector<MenuEntry> entries;
    std::vector<int> breakKeys;  // virtual-key code | PKF_* << 16, without the terminating 0
};

struct MenuChoice {
    int index = -1;
    int breakCode = -1;
};

MenuChoice runMenu(UiContext& context, const MenuRequest& request);

// The break-key form of a FAR key: virtual-key code in the low word, PKF_* in the high word; -1
// for a key that has no virtual-key code (a non-ASCII character).
int breakKeyOf(int farKey);

// The standard check mark (FAR's OEM 0xFB).
inline constexpr char32_t kStandardCheckMark = U'\u221A';

}  // namespace skimmer::host::ui
