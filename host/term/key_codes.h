// The key codes the terminal layer produces, as FAR 1.70 spells them on Linux: a character key is
// its Unicode code point, special keys sit above the Unicode range, and the modifier bits are those
// of FAR 1.70 (Ctrl 0x01000000, Alt 0x02000000, Shift 0x04000000). Letters combined with Ctrl or
// Alt carry the upper-case code, as in FAR.
//
// This file is the only place the decoder learns key values: when the shared FAR interface headers
// define the codes, these names become aliases of theirs and nothing else changes.
#pragma once

#include <cstdint>

namespace skimmer::host::term::key {

using Code = uint32_t;

inline constexpr Code kCtrl = 0x01000000;
inline constexpr Code kAlt = 0x02000000;
inline constexpr Code kShift = 0x04000000;
inline constexpr Code kModifierMask = 0xFF000000;

// Special keys: FAR 1.70's own value moved above U+10FFFF so that it cannot collide with a
// character (FAR 1.70's KEY_UP = 0x126 would otherwise be U+0126).
inline constexpr Code kSpecialBase = 0x00110000;
inline constexpr Code special(Code far170) { return kSpecialBase | far170; }

inline constexpr Code BS = 0x08;
inline constexpr Code TAB = 0x09;
inline constexpr Code ENTER = 0x0D;
inline constexpr Code ESC = 0x1B;
inline constexpr Code SPACE = 0x20;

inline constexpr Code PGUP = special(0x121);
inline constexpr Code PGDN = special(0x122);
inline constexpr Code END = special(0x123);
inline constexpr Code HOME = special(0x124);
inline constexpr Code LEFT = special(0x125);
inline constexpr Code UP = special(0x126);
inline constexpr Code RIGHT = special(0x127);
inline constexpr Code DOWN = special(0x128);
inline constexpr Code INS = special(0x12D);
inline constexpr Code DEL = special(0x12E);
inline constexpr Code CLEAR = special(0x165);  // keypad 5 (FAR's KEY_NUMPAD5)
inline constexpr Code F1 = special(0x170);     // F1..F24 are consecutive
inline constexpr Code F(int n) { return F1 + static_cast<Code>(n - 1); }
inline constexpr Code MSWHEEL_UP = special(0x203);
inline constexpr Code MSWHEEL_DOWN = special(0x204);

inline constexpr Code SHIFTENTER = kShift | ENTER;
inline constexpr Code CTRLENTER = kCtrl | ENTER;
inline constexpr Code ALTENTER = kAlt | ENTER;
inline constexpr Code SHIFTTAB = kShift | TAB;

inline constexpr Code baseOf(Code k) { return k & ~kModifierMask; }

}  // namespace skimmer::host::term::key
