// Message boxes and menus of the FAR 1.70 interface: Message flags (FMSG_*), Menu flags (FMENU_*),
// the menu items (FarMenuItem, and FarMenuItemEx with FMENU_USEEXT) and their flags (MIF_*).
//
// Contract: values are FAR 1.70's on every target (1.75 additions are marked). Message returns the
// 0-based index of the pressed button in the order FMSG_MB_* lists them, or -1 for Esc; Menu
// returns the chosen item or -1 and puts the index of a pressed break key, or -1, into BreakCode.
// Break keys are virtual-key codes with PKF_* in the high word (far/vk.h, far/panel.h). Structures
// follow far/layout.h. Declares types and constants only.
#pragma once

#include "far/layout.h"
#include "far/win_types.h"

// ---- Message flags ----
inline constexpr DWORD FMSG_WARNING = 0x00000001;        // warning colours
inline constexpr DWORD FMSG_ERRORTYPE = 0x00000002;      // prepend the text of the last error
inline constexpr DWORD FMSG_KEEPBACKGROUND = 0x00000004;
inline constexpr DWORD FMSG_DOWN = 0x00000008;
inline constexpr DWORD FMSG_LEFTALIGN = 0x00000010;
inline constexpr DWORD FMSG_ALLINONE = 0x00000020;       // Items is one string, lines split by '\n'
inline constexpr DWORD FMSG_MB_OK = 0x00010000;
inline constexpr DWORD FMSG_MB_OKCANCEL = 0x00020000;
inline constexpr DWORD FMSG_MB_ABORTRETRYIGNORE = 0x00030000;
inline constexpr DWORD FMSG_MB_YESNO = 0x00040000;
inline constexpr DWORD FMSG_MB_YESNOCANCEL = 0x00050000;
inline constexpr DWORD FMSG_MB_RETRYCANCEL = 0x00060000;

namespace skimmer::farapi {
// The FMSG_MB_* values are one number, not bits: mask the flags with this before comparing.
inline constexpr DWORD kMessageButtonsMask = 0x000F0000;
}  // namespace skimmer::farapi

// ---- Menu flags ----
inline constexpr DWORD FMENU_SHOWAMPERSAND = 0x00000001;
inline constexpr DWORD FMENU_WRAPMODE = 0x00000002;
inline constexpr DWORD FMENU_AUTOHIGHLIGHT = 0x00000004;
inline constexpr DWORD FMENU_REVERSEAUTOHIGHLIGHT = 0x00000008;
inline constexpr DWORD FMENU_USEEXT = 0x00000020;        // Items are FarMenuItemEx
inline constexpr DWORD FMENU_CHANGECONSOLETITLE = 0x00000040;
inline constexpr DWORD FMENU_TRUNCPATH = 0x10000000;     // 1.75
inline constexpr DWORD FMENU_TRUNCSTR = 0x20000000;      // 1.75
inline constexpr DWORD FMENU_TRUNCSTREND = 0x30000000;   // 1.75

// ---- FarMenuItemEx::Flags. The low word may hold a character to use as the check mark (which
// implies MIF_CHECKED); a low word of 1, or 0 with MIF_CHECKED, gives the standard mark. ----
inline constexpr DWORD MIF_SELECTED = 0x00010000;
inline constexpr DWORD MIF_CHECKED = 0x00020000;
inline constexpr DWORD MIF_SEPARATOR = 0x00040000;
inline constexpr DWORD MIF_DISABLE = 0x00080000;
inline constexpr DWORD MIF_HIDDEN = 0x00200000;          // 1.75
inline constexpr DWORD MIF_USETEXTPTR = 0x80000000;

FAR_PACK_BEGIN

struct FarMenuItem {
    char Text[128];
    int Selected;
    int Checked;  // 1: the standard mark; any other non-zero value: that character
    int Separator;
};

struct FarMenuItemEx {
    DWORD Flags;  // MIF_*
    union {
        char Text[128];
        const char* TextPtr;  // with MIF_USETEXTPTR
    } Text;
    DWORD AccelKey;  // a FAR key code (far/keys.h)
    DWORD Reserved;
    DWORD_PTR UserData;
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(FarMenuItem) == 140);
static_assert(sizeof(FarMenuItemEx) == 144);
static_assert(offsetof(FarMenuItemEx, AccelKey) == 132);
#endif
