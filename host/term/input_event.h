// What the terminal's input becomes: FAR key codes, FAR-like mouse events and pasted text.
//
// Mouse events carry the fields of FAR's MOUSE_EVENT_RECORD with the Win32 values, so the dialog
// engine can hand them on unchanged. Pasted text is a value of its own, never a run of keys: a
// pasted line must not press Enter.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "host/term/key_codes.h"

namespace skimmer::host::term {

// dwButtonState bits.
inline constexpr uint32_t kLeftButton = 0x0001;    // FROM_LEFT_1ST_BUTTON_PRESSED
inline constexpr uint32_t kRightButton = 0x0002;   // RIGHTMOST_BUTTON_PRESSED
inline constexpr uint32_t kMiddleButton = 0x0004;  // FROM_LEFT_2ND_BUTTON_PRESSED
// dwControlKeyState bits.
inline constexpr uint32_t kLeftAltPressed = 0x0002;
inline constexpr uint32_t kLeftCtrlPressed = 0x0008;
inline constexpr uint32_t kShiftPressed = 0x0010;
// dwEventFlags bits.
inline constexpr uint32_t kMouseMoved = 0x0001;
inline constexpr uint32_t kDoubleClick = 0x0002;
inline constexpr uint32_t kMouseWheeled = 0x0004;

struct KeyEvent {
    key::Code code = 0;
    bool operator==(const KeyEvent&) const = default;
};

struct MouseEvent {
    int x = 0, y = 0;          // 0-based screen cell
    uint32_t buttons = 0;      // buttons held after this event
    uint32_t controlKeys = 0;  // modifiers held
    uint32_t flags = 0;        // 0 = a button changed; kMouseMoved; kMouseWheeled
    int wheel = 0;             // +1 up, -1 down when kMouseWheeled
    bool operator==(const MouseEvent&) const = default;
};

struct PasteEvent {
    std::string text;        // the pasted bytes as the terminal sent them
    bool truncated = false;  // true when the paste exceeded the decoder's bound and the rest was dropped
    bool operator==(const PasteEvent&) const = default;
};

using InputEvent = std::variant<KeyEvent, MouseEvent, PasteEvent>;

}  // namespace skimmer::host::term
