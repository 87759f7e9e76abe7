// The extended list box's message numbers and the records its messages carry, for the owners
// that talk to a list box (the search window, the filing of result lines) and for the list box
// itself.
//
// Contract: declarations only. Every message is sent with the host's SendDlgMessage(hDlg, Msg,
// Param1 = the list box's item id, Param2); where Param2 carries a record it is the address of
// one of the records below, which the caller owns for the duration of the call. The list box
// copies whatever it keeps (texts, attribute arrays), so a caller may free its records at once.
#pragma once

#include <cstdint>

#include "dialogs/list_box_ex_item.h"
#include "far/win_types.h"

namespace skimmer::dialogs {

// ---- Messages to a list box (the list box answers them itself) ----
inline constexpr int DM_LBX_INIT = 0x5000;         // Param2: 0 (or a caller-made state); result 1
inline constexpr int DN_LBX_ISLISTBOX = 0x5001;    // asked of the owner: is item Param1 a list box?
inline constexpr int DM_LBX_FREE = 0x5002;         // frees every row and the state
inline constexpr int DM_LBX_RESERVED1 = 0x5003;    // reserved: a non-null Param2 shows code 1000
inline constexpr int DM_LBX_GETUSERDATA = 0x5004;  // result: the owner's free value
inline constexpr int DM_LBX_SETUSERDATA = 0x5005;  // Param2: the value; result 1
inline constexpr int DM_LBX_ADDITEMS = 0x5006;     // Param2: TListBoxExAddItem*; result 1
inline constexpr int DM_LBX_GETCURPOS = 0x5008;    // Param2: 0 or TListBoxExPos*; result Current
inline constexpr int DM_LBX_SETCURPOS = 0x5009;    // Param2: TListBoxExPos*; result the new Current
inline constexpr int DM_LBX_GETITEM = 0x500a;      // Param2: TListBoxExManageItem*; result 1
inline constexpr int DM_LBX_DELETE = 0x500b;       // Param2: TListBoxExRange*; (0, 0) deletes all
inline constexpr int DM_LBX_SETITEM = 0x500c;      // Param2: TListBoxExManageItem*; result 1
inline constexpr int DM_LBX_INSERT = 0x500d;       // Param2: TListBoxExManageItem*; result 1
inline constexpr int DM_LBX_SETCOLORS = 0x500e;    // Param2: TListBoxExColors*; result 1
inline constexpr int DM_LBX_GETINDEXDATA = 0x500f; // Param2: the index; result its value
inline constexpr int DM_LBX_SETINDEXDATA = 0x5010; // Param2: TListBoxExIndexData*; result Value
inline constexpr int DM_LBX_SETATTR = 0x5100;      // Param2: TListBoxExSetAttr*; result 1
inline constexpr int DM_LBX_SETHOTKEY = 0x5101;    // Param2: TListBoxExHotKey*; result 1
inline constexpr int DM_LBX_GETFLAGS = 0x5102;     // Param2: the index; result its Flags
inline constexpr int DM_LBX_SETFLAGS = 0x5103;     // Param2: TListBoxExFlags*; result 1
inline constexpr int DM_LBX_TOGGLEMARK = 0x5104;   // Param2: the index; result 1
inline constexpr int DM_LBX_MOVEUP = 0x5105;       // Param2: the index; result 1
inline constexpr int DM_LBX_MOVEDOWN = 0x5106;     // Param2: the index; result 1
inline constexpr int DM_LBX_RESERVED2 = 0x5107;    // reserved: shows code 1000
inline constexpr int DM_LBX_RESERVED3 = 0x5108;    // reserved: shows code 1000
inline constexpr int DM_LBX_SELECTAT = 0x5203;     // Param2: COORD* relative to the item

// ---- Notifications a list box sends to its own dialog ----
inline constexpr int DN_LBX_CURCHANGED = 0x5200;  // Param2: the new Current
inline constexpr int DN_LBX_HOTKEY = 0x5201;      // Param2: the new Current

// Rows to append, in order.
struct TListBoxExAddItem {
    int32_t Count = 0;
    const TListBoxExItem* Items = nullptr;
};

// One row by index: read into Item (DM_LBX_GETITEM) or written from it (SETITEM, INSERT).
struct TListBoxExManageItem {
    int32_t Index = 0;
    TListBoxExItem Item;
};

struct TListBoxExPos {
    int32_t Current = 0;
    int32_t Top = 0;
};

struct TListBoxExRange {
    int32_t Index = 0;
    int32_t Number = 0;
};

struct TListBoxExColors {
    int32_t Count = 0;  // at most 6 are taken
    TByteArray Bytes;
};

// The owner's value for one line; Reserved is never read. Value is as wide as a pointer, since
// owners keep references here (the search window: each line's result-chain node).
struct TListBoxExIndexData {
    int32_t Index = 0;
    int32_t Reserved = 0;
    LONG_PTR Value = 0;
};

struct TListBoxExSetAttr {
    int32_t Index = 0;
    int32_t State = 0;  // kLbxNormal, kLbxCurrent or kLbxHighlight
    int32_t Column = 0; // code point index into the row's text
    uint8_t Value = 0;
};

struct TListBoxExHotKey {
    int32_t Index = 0;
    uint32_t Char = 0;
};

struct TListBoxExFlags {
    int32_t Index = 0;
    uint32_t Flags = 0;
};

}  // namespace skimmer::dialogs
