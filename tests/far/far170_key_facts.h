// FAR 1.70's published key codes, as a table both key-code checks share: the Windows check
// requires every name to have exactly this value, the Linux test requires every name to be this
// value carried into the Linux key space by keyFromFar170.
#pragma once

#include "far/keys.h"

namespace skimmer::farapi::test {

// A FAR 1.70 key code as this target writes it: modifiers kept, a non-character base moved to
// the special range, a zero base (modifiers alone) left zero. A 1.70 character base (an OEM code)
// is taken as the code point of the same number, which is exact for ASCII only. Identity on
// Windows.
constexpr int keyFromFar170(DWORD legacy) {
    int modifiers = static_cast<int>(legacy & KEY_CTRLMASK);
    int base = static_cast<int>(legacy & static_cast<DWORD>(kKeyBaseMask));
    bool keepBase = base == 0 || (base >= 0x20 && base <= 0xFF);
    return modifiers | (keepBase ? base : specialKey(base));
}

struct Far170KeyFact {
    int key;
    DWORD far170;
    const char* name;
};

#define SKIMMER_KEY_FACT(name, value) Far170KeyFact{name, value, #name}

inline constexpr Far170KeyFact kFar170KeyFacts[] = {
    SKIMMER_KEY_FACT(KEY_CTRL, 0x01000000),
    SKIMMER_KEY_FACT(KEY_ALT, 0x02000000),
    SKIMMER_KEY_FACT(KEY_SHIFT, 0x04000000),
    SKIMMER_KEY_FACT(KEY_RCTRL, 0x10000000),
    SKIMMER_KEY_FACT(KEY_RALT, 0x20000000),
    SKIMMER_KEY_FACT(KEY_BS, 0x08),
    SKIMMER_KEY_FACT(KEY_TAB, 0x09),
    SKIMMER_KEY_FACT(KEY_ENTER, 0x0D),
    SKIMMER_KEY_FACT(KEY_ESC, 0x1B),
    SKIMMER_KEY_FACT(KEY_SPACE, 0x20),
    SKIMMER_KEY_FACT(KEY_BRACKET, '['),
    SKIMMER_KEY_FACT(KEY_BACKSLASH, '\\'),
    SKIMMER_KEY_FACT(KEY_PGUP, 0x121),
    SKIMMER_KEY_FACT(KEY_PGDN, 0x122),
    SKIMMER_KEY_FACT(KEY_END, 0x123),
    SKIMMER_KEY_FACT(KEY_HOME, 0x124),
    SKIMMER_KEY_FACT(KEY_LEFT, 0x125),
    SKIMMER_KEY_FACT(KEY_UP, 0x126),
    SKIMMER_KEY_FACT(KEY_RIGHT, 0x127),
    SKIMMER_KEY_FACT(KEY_DOWN, 0x128),
    SKIMMER_KEY_FACT(KEY_INS, 0x12D),
    SKIMMER_KEY_FACT(KEY_DEL, 0x12E),
    SKIMMER_KEY_FACT(KEY_BREAK, 0x103),
    SKIMMER_KEY_FACT(KEY_LWIN, 0x15B),
    SKIMMER_KEY_FACT(KEY_RWIN, 0x15C),
    SKIMMER_KEY_FACT(KEY_APPS, 0x15D),
    SKIMMER_KEY_FACT(KEY_NUMPAD0, 0x160),
    SKIMMER_KEY_FACT(KEY_NUMPAD9, 0x169),
    SKIMMER_KEY_FACT(KEY_CLEAR, 0x165),
    SKIMMER_KEY_FACT(KEY_MULTIPLY, 0x16A),
    SKIMMER_KEY_FACT(KEY_ADD, 0x16B),
    SKIMMER_KEY_FACT(KEY_SUBTRACT, 0x16D),
    SKIMMER_KEY_FACT(KEY_DIVIDE, 0x16F),
    SKIMMER_KEY_FACT(KEY_F1, 0x170),
    SKIMMER_KEY_FACT(KEY_F12, 0x17B),
    SKIMMER_KEY_FACT(KEY_F13, 0x17C),
    SKIMMER_KEY_FACT(KEY_F24, 0x187),
    SKIMMER_KEY_FACT(KEY_CTRLALTSHIFTPRESS, 0x201),
    SKIMMER_KEY_FACT(KEY_CTRLALTSHIFTRELEASE, 0x202),
    SKIMMER_KEY_FACT(KEY_MSWHEEL_UP, 0x203),
    SKIMMER_KEY_FACT(KEY_MSWHEEL_DOWN, 0x204),
    SKIMMER_KEY_FACT(KEY_NUMENTER, 0x20B),
    SKIMMER_KEY_FACT(KEY_NONE, 0x1001),
    SKIMMER_KEY_FACT(KEY_IDLE, 0x1002),
    SKIMMER_KEY_FACT(KEY_FKEY_BEGIN, 0x100),
    SKIMMER_KEY_FACT(KEY_END_FKEY, 0xFFF),
    SKIMMER_KEY_FACT(KEY_END_SKEY, 0xFFFF),
    SKIMMER_KEY_FACT(KEY_SHIFTENTER, 0x0400000D),
    SKIMMER_KEY_FACT(KEY_CTRLENTER, 0x0100000D),
    SKIMMER_KEY_FACT(KEY_CTRLSHIFTENTER, 0x0500000D),
    SKIMMER_KEY_FACT(KEY_CTRLUP, 0x01000126),
    SKIMMER_KEY_FACT(KEY_CTRLDOWN, 0x01000128),
    SKIMMER_KEY_FACT(KEY_SHIFTF4, 0x04000173),
    SKIMMER_KEY_FACT(KEY_SHIFTTAB, 0x04000009),
    SKIMMER_KEY_FACT(KEY_CTRLTAB, 0x01000009),
    SKIMMER_KEY_FACT(KEY_ALTF7, 0x02000176),
    SKIMMER_KEY_FACT(KEY_CTRLPGUP, 0x01000121),
    SKIMMER_KEY_FACT(KEY_CTRLPGDN, 0x01000122),
    SKIMMER_KEY_FACT(KEY_ALTSHIFTF9, 0x06000178),
    SKIMMER_KEY_FACT(KEY_ALTF1, 0x02000170),
    SKIMMER_KEY_FACT(KEY_CTRLA, 0x01000041),
    SKIMMER_KEY_FACT(KEY_CTRLF, 0x01000046),
    SKIMMER_KEY_FACT(KEY_RCTRL5, 0x10000035),
};

#undef SKIMMER_KEY_FACT

}  // namespace skimmer::farapi::test
