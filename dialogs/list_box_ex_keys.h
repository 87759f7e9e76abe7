// The list box's keys: cursor movement with wrap-around, sideways scrolling, and hot keys in both
// keyboard layouts.
//
// Contract: a function of the state and the key; the character services come in through
// `TLbxCharServices` (the host's LIsAlpha, LUpper and XLat in the plug-in, plain functions in
// tests). Afterwards Current is selectable where possible and visible in a window `height` rows
// high. Nothing is drawn or sent from here.
#pragma once

#include <cstdint>
#include <functional>

#include "dialogs/list_box_ex.h"

namespace skimmer::dialogs {

struct TLbxCharServices {
    std::function<bool(uint32_t)> isAlpha;
    std::function<uint32_t(uint32_t)> upper;
    // The same key's character in the other keyboard layout; the character itself when there is
    // none (or when the host cannot convert it).
    std::function<uint32_t(uint32_t)> xlat;
};

enum class TLbxKeyResult {
    Unhandled,  // not a key of the list, or one that changed nothing: pass it on
    Moved,      // the cursor or the sideways scroll moved
    HotKey,     // a hot key made its row current (the owner hears DN_LBX_HOTKEY)
};

TLbxKeyResult ListBoxExKey(TListBoxExData& data, int key, int32_t height, const TLbxCharServices& chars);

// `upper(c)` when `isAlpha(c)`, else `c`.
uint32_t NormaliseHotKey(const TLbxCharServices& chars, uint32_t c);

}  // namespace skimmer::dialogs
