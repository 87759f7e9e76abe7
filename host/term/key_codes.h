// The key codes the terminal layer produces: FAR's, from far/keys.h (on Linux a character key is
// its Unicode code point, every other key, Enter/Tab/Esc/BS included, sits above the Unicode range,
// and the modifier bits are FAR 1.70's). Letters combined with Ctrl or Alt carry the upper-case code.
//
// This file is the only place the decoder learns key values; the short names below keep the
// decoder's tables readable.
#pragma once

#include <cstdint>

#include "far/keys.h"

namespace skimmer::host::term::key {

using Code = uint32_t;

inline constexpr Code kCtrl = KEY_CTRL;
inline constexpr Code kAlt = KEY_ALT;
inline constexpr Code kShift = KEY_SHIFT;
inline constexpr Code kModifierMask = KEY_CTRLMASK;
inline constexpr Code kSpecialBase = skimmer::farapi::kSpecialKeyBase;

inline constexpr Code BS = KEY_BS;
inline constexpr Code TAB = KEY_TAB;
inline constexpr Code ENTER = KEY_ENTER;
inline constexpr Code ESC = KEY_ESC;
inline constexpr Code SPACE = KEY_SPACE;

inline constexpr Code PGUP = KEY_PGUP;
inline constexpr Code PGDN = KEY_PGDN;
inline constexpr Code END = KEY_END;
inline constexpr Code HOME = KEY_HOME;
inline constexpr Code LEFT = KEY_LEFT;
inline constexpr Code UP = KEY_UP;
inline constexpr Code RIGHT = KEY_RIGHT;
inline constexpr Code DOWN = KEY_DOWN;
inline constexpr Code INS = KEY_INS;
inline constexpr Code DEL = KEY_DEL;
inline constexpr Code CLEAR = KEY_CLEAR;
inline constexpr Code F1 = KEY_F1;  // F1..F24 are consecutive
inline constexpr Code F(int n) { return F1 + static_cast<Code>(n - 1); }
inline constexpr Code MSWHEEL_UP = KEY_MSWHEEL_UP;
inline constexpr Code MSWHEEL_DOWN = KEY_MSWHEEL_DOWN;

inline constexpr Code SHIFTENTER = KEY_SHIFTENTER;
inline constexpr Code CTRLENTER = KEY_CTRLENTER;
inline constexpr Code SHIFTTAB = KEY_SHIFTTAB;

inline constexpr Code baseOf(Code k) { return k & ~kModifierMask; }

static_assert(F(12) == static_cast<Code>(KEY_F12) && F(24) == static_cast<Code>(KEY_F24));

}  // namespace skimmer::host::term::key
