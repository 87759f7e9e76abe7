// Labels with FAR's hot-key mark: "&Save" shows "Save" with S highlighted and answers to S.
//
// Contract: the first '&' that is followed by a character marks that character as the hot key and
// is not shown; "&&" shows one '&'. With `showAmpersand` (DIF_SHOWAMPERSAND, FMENU_SHOWAMPERSAND)
// the text is shown as it stands and has no hot key. Hot keys compare case-insensitively
// (`foldKey`). Pure functions, no state.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::host::ui {

struct HotkeyText {
    std::string before;  // shown text before the hot-key character
    std::string hot;     // the hot-key character itself (UTF-8), empty when there is none
    std::string after;   // shown text after it
    char32_t key = 0;    // folded hot key, 0 when there is none

    std::string shown() const { return before + hot + after; }
};

HotkeyText parseHotkey(std::string_view label, bool showAmpersand = false);

// Upper-case fold for hot-key comparison (letters of every script glibc knows).
char32_t foldKey(char32_t cp);

}  // namespace skimmer::host::ui
