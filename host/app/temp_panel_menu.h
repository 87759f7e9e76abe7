// FAR's Temporary Panel with "+menu": a list file shown as a menu instead of a panel.
//
// Contract: pure. A line `|text|command` shows `text` and stands for `command`; `|-|` is a
// separator; any other line shows and stands for itself. The menu's title is the list file's name
// without its extension. What choosing an item does (a folder is entered, anything else goes to the
// command line) is the screen's.
#pragma once

#include <string>
#include <vector>

#include "host/app/panel_host.h"

namespace skimmer::host::app {

struct TempMenuItem {
    std::string text;     // what the menu shows ('&' marks the hot key)
    std::string command;  // what the item stands for
    bool separator = false;
};

TempMenuItem parseTempMenuLine(const std::string& line);

// The items of `lines`, and the menu that shows them for list file `listFile`.
std::vector<TempMenuItem> tempMenuItems(const std::vector<std::string>& lines);
MenuOffer tempMenu(const std::string& listFile, const std::vector<TempMenuItem>& items);

}  // namespace skimmer::host::app
