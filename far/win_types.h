// The Windows base types and console records that the FAR 1.70 interface is written in.
//
// Contract: on Windows they come from <windows.h>, untouched. Elsewhere this header declares the
// same names with the same members and meanings, sized for the platform: DWORD and LONG are 32
// bits, pointer-sized types (HANDLE, INT_PTR, LONG_PTR, DWORD_PTR) are 64 bits on a 64-bit build,
// and WCHAR is wchar_t, which on Linux holds a whole Unicode code point (so a CHAR_INFO cell or a
// key event carries one code point, never half of one). The console records keep their natural
// alignment on every target (FAR 1.70 never packed them). Declares types and constants only.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int16_t SHORT;
typedef int BOOL;
typedef char CHAR;
typedef wchar_t WCHAR;
typedef void* HANDLE;
typedef void* HWND;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t DWORD_PTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Returned by OpenPlugin when no panel opens, and passed to Control for "the active panel".
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

// File attribute bits, with Windows' numbers. os/ maps POSIX modes onto these.
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
inline constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x00000040;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
inline constexpr DWORD FILE_ATTRIBUTE_SPARSE_FILE = 0x00000200;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
inline constexpr DWORD FILE_ATTRIBUTE_COMPRESSED = 0x00000800;
inline constexpr DWORD FILE_ATTRIBUTE_OFFLINE = 0x00001000;
inline constexpr DWORD FILE_ATTRIBUTE_NOT_CONTENT_INDEXED = 0x00002000;
inline constexpr DWORD FILE_ATTRIBUTE_ENCRYPTED = 0x00004000;

// 100-nanosecond intervals since 1601-01-01 UTC, low half first.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct COORD {
    SHORT X;
    SHORT Y;
};

struct SMALL_RECT {
    SHORT Left;
    SHORT Top;
    SHORT Right;
    SHORT Bottom;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// One screen cell: a character and its attribute (low nibble foreground, high nibble background).
struct CHAR_INFO {
    union {
        WCHAR UnicodeChar;
        CHAR AsciiChar;
    } Char;
    WORD Attributes;
};

struct KEY_EVENT_RECORD {
    BOOL bKeyDown;
    WORD wRepeatCount;
    WORD wVirtualKeyCode;
    WORD wVirtualScanCode;
    union {
        WCHAR UnicodeChar;
        CHAR AsciiChar;
    } uChar;
    DWORD dwControlKeyState;
};

struct MOUSE_EVENT_RECORD {
    COORD dwMousePosition;
    DWORD dwButtonState;
    DWORD dwControlKeyState;
    DWORD dwEventFlags;
};

struct WINDOW_BUFFER_SIZE_RECORD {
    COORD dwSize;
};

struct MENU_EVENT_RECORD {
    unsigned int dwCommandId;
};

struct FOCUS_EVENT_RECORD {
    BOOL bSetFocus;
};

struct INPUT_RECORD {
    WORD EventType;
    union {
        KEY_EVENT_RECORD KeyEvent;
        MOUSE_EVENT_RECORD MouseEvent;
        WINDOW_BUFFER_SIZE_RECORD WindowBufferSizeEvent;
        MENU_EVENT_RECORD MenuEvent;
        FOCUS_EVENT_RECORD FocusEvent;
    } Event;
};

// INPUT_RECORD::EventType
inline constexpr WORD KEY_EVENT = 0x0001;
inline constexpr WORD MOUSE_EVENT = 0x0002;
inline constexpr WORD WINDOW_BUFFER_SIZE_EVENT = 0x0004;
inline constexpr WORD MENU_EVENT = 0x0008;
inline constexpr WORD FOCUS_EVENT = 0x0010;

// MOUSE_EVENT_RECORD::dwButtonState
inline constexpr DWORD FROM_LEFT_1ST_BUTTON_PRESSED = 0x0001;
inline constexpr DWORD RIGHTMOST_BUTTON_PRESSED = 0x0002;
inline constexpr DWORD FROM_LEFT_2ND_BUTTON_PRESSED = 0x0004;
inline constexpr DWORD FROM_LEFT_3RD_BUTTON_PRESSED = 0x0008;
inline constexpr DWORD FROM_LEFT_4TH_BUTTON_PRESSED = 0x0010;

// MOUSE_EVENT_RECORD::dwEventFlags
inline constexpr DWORD MOUSE_MOVED = 0x0001;
inline constexpr DWORD DOUBLE_CLICK = 0x0002;
inline constexpr DWORD MOUSE_WHEELED = 0x0004;

// dwControlKeyState of key and mouse events
inline constexpr DWORD RIGHT_ALT_PRESSED = 0x0001;
inline constexpr DWORD LEFT_ALT_PRESSED = 0x0002;
inline constexpr DWORD RIGHT_CTRL_PRESSED = 0x0004;
inline constexpr DWORD LEFT_CTRL_PRESSED = 0x0008;
inline constexpr DWORD SHIFT_PRESSED = 0x0010;
inline constexpr DWORD NUMLOCK_ON = 0x0020;
inline constexpr DWORD SCROLLLOCK_ON = 0x0040;
inline constexpr DWORD CAPSLOCK_ON = 0x0080;
inline constexpr DWORD ENHANCED_KEY = 0x0100;
#endif  // !_WIN32

// The event type FAR gives a key that a macro plays back (ProcessEditorInput sees it).
inline constexpr WORD FARMACRO_KEY_EVENT = KEY_EVENT | 0x8000;
