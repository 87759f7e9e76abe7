// The extended list box: a list drawn by the plug-in itself into a DI_USERCONTROL item of a FAR
// dialog, with per-character colours, separator title lines, hidden and unselectable rows, marks,
// hot keys, a scroll bar and leading columns that stay put while the rest scrolls sideways.
//
// Contract:
// - The owner's dialog procedure passes every message it does not handle to `ListBoxExProc`; the
//   list box answers its own DM_LBX_* messages, draws on DN_DRAWDLGITEM, handles keys and the
//   mouse, and hands everything else to the host's DefDlgProc. It reaches the host only through
//   the tables in `TListBoxExHost` (the plug-in's copy of the start-up information).
// - All state of one list hangs on its dialog item as item data (a `TListBoxExData` the list box
//   owns from DM_LBX_INIT until DM_LBX_FREE; the owner sends DM_LBX_FREE when its dialog closes). The owner answers DN_LBX_ISLISTBOX non-zero for the
//   items that are lists; for any other item every message goes to DefDlgProc.
// - Pointer parameters are read and written only for the duration of the call; items are copied
//   in and out, never shared. Index arguments outside the list make a message do nothing and
//   return 0. Nothing here throws out of `ListBoxExProc`.
// - Text columns are code points: one attribute per code point. On screen a double-width code
//   point takes two cells (the second holds the tail marker 0, in the same attribute); sideways
//   scrolling and the fixed columns count code points, so a wide character never splits: one that
//   would cross the right edge of the list (or the scroll bar) is drawn as a blank.
// - Calls arrive on the dialog thread, or from another thread through the host's SendDlgMessage,
//   which serialises them with the dialog procedure; the state itself is not locked.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dialogs/list_box_ex_item.h"
#include "far/dialog.h"
#include "far/win_types.h"

namespace skimmer::platform {
struct HostTables;
}

namespace skimmer::dialogs {

// ---- Messages the list box answers (SendDlgMessage(hDlg, Msg, item id, Param2)) ----
inline constexpr int DM_LBX_INIT = 0x5000;         // Param2: 0 or a TListBoxExData* made with new (taken over)
inline constexpr int DN_LBX_ISLISTBOX = 0x5001;    // asked of the owner, never answered here
inline constexpr int DM_LBX_FREE = 0x5002;
inline constexpr int DM_LBX_RESERVED1 = 0x5003;    // non-zero Param2: error box "Error: 1000"
inline constexpr int DM_LBX_GETUSERDATA = 0x5004;
inline constexpr int DM_LBX_SETUSERDATA = 0x5005;  // Param2: the value
inline constexpr int DM_LBX_ADDITEMS = 0x5006;     // Param2: const TListBoxExAddItem*
inline constexpr int DM_LBX_GETCURPOS = 0x5008;    // Param2: 0 or TListBoxExPos*
inline constexpr int DM_LBX_SETCURPOS = 0x5009;    // Param2: const TListBoxExPos*
inline constexpr int DM_LBX_GETITEM = 0x500a;      // Param2: TListBoxExManageItem*
inline constexpr int DM_LBX_DELETE = 0x500b;       // Param2: const TListBoxExRange*; (0,0) = all
inline constexpr int DM_LBX_SETITEM = 0x500c;      // Param2: const TListBoxExManageItem*
inline constexpr int DM_LBX_INSERT = 0x500d;       // Param2: const TListBoxExManageItem*
inline constexpr int DM_LBX_SETCOLORS = 0x500e;    // Param2: const TListBoxExColors*
inline constexpr int DM_LBX_GETINDEXDATA = 0x500f; // Param2: the index
inline constexpr int DM_LBX_SETINDEXDATA = 0x5010; // Param2: const TListBoxExIndexData*
inline constexpr int DM_LBX_SETATTR = 0x5100;      // Param2: const TListBoxExAttr*
inline constexpr int DM_LBX_SETHOTKEY = 0x5101;    // Param2: const TListBoxExHotKey*
inline constexpr int DM_LBX_GETFLAGS = 0x5102;     // Param2: the index
inline constexpr int DM_LBX_SETFLAGS = 0x5103;     // Param2: const TListBoxExFlags*
inline constexpr int DM_LBX_TOGGLEMARK = 0x5104;   // Param2: the index
inline constexpr int DM_LBX_MOVEUP = 0x5105;       // Param2: the index
inline constexpr int DM_LBX_MOVEDOWN = 0x5106;     // Param2: the index
inline constexpr int DM_LBX_RESERVED2 = 0x5107;    // error box "Error: 1000"
inline constexpr int DM_LBX_RESERVED3 = 0x5108;    // error box "Error: 1000"
inline constexpr int DM_LBX_SELECTAT = 0x5203;     // Param2: const COORD* relative to the item

// ---- Notifications the list box sends to its own dialog (Param1 the item id) ----
inline constexpr int DN_LBX_CURCHANGED = 0x5200;   // Param2: the new Current
inline constexpr int DN_LBX_HOTKEY = 0x5201;       // Param2: the new Current

static_assert(DM_LBX_INIT > DM_USER && DN_LBX_CURCHANGED > DM_LBX_MOVEDOWN,
              "the list box's numbers lie in the dialog's own message range");

// The error code the reserved messages show.
inline constexpr int32_t kLbxReservedErrorCode = 1000;

// Colour bytes a new list starts with come from these slots of the plug-in's ListColors.
inline constexpr int kLbxColorCount = 6;

// The state of one list box. `Items.size()` is the number of rows (`Count()`).
struct TListBoxExData {
    LONG_PTR UserData = 0;       // free for the owner
    int32_t Top = -1;            // first row shown; -1 for an empty list
    int32_t Current = -1;        // the current row; -1 when none
    int32_t FixedColumns = 0;    // text columns (from 0) that never scroll sideways
    int32_t HScroll = 0;         // sideways offset of the text after the fixed columns
    std::vector<TListBoxExItem> Items;
    std::array<uint8_t, kLbxColorCount> Colors{};  // [0] colours the rows below the last item
    std::vector<LONG_PTR> IndexData;               // one free value per index, for the owner

    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
};

// DM_LBX_ADDITEMS: the rows to append, in order.
struct TListBoxExAddItem {
    std::vector<TListBoxExItem> Items;
};

// DM_LBX_GETITEM / DM_LBX_SETITEM / DM_LBX_INSERT.
struct TListBoxExManageItem {
    int32_t Index = 0;
    TListBoxExItem Item;
};

// DM_LBX_GETCURPOS / DM_LBX_SETCURPOS.
struct TListBoxExPos {
    int32_t Current = -1;
    int32_t Top = -1;
};

// DM_LBX_DELETE: Number rows from Index; (0, 0) deletes every row.
struct TListBoxExRange {
    int32_t Index = 0;
    int32_t Number = 0;
};

// DM_LBX_SETCOLORS: min(N, 6) bytes of Bytes become the colour table (nothing when Bytes is empty).
struct TListBoxExColors {
    int32_t N = 0;
    TByteArray Bytes;
};

// DM_LBX_SETINDEXDATA: IndexData[Index] := Value (the array grows as needed).
struct TListBoxExIndexData {
    int32_t Index = 0;
    int32_t Unused = 0;
    LONG_PTR Value = 0;
};

// DM_LBX_SETATTR: Attr[State][Column] of row Index := Value.
struct TListBoxExAttr {
    int32_t Index = 0;
    int32_t State = 0;
    int32_t Column = 0;
    uint8_t Value = 0;
};

// DM_LBX_SETHOTKEY.
struct TListBoxExHotKey {
    int32_t Index = 0;
    uint32_t Char = 0;
};

// DM_LBX_SETFLAGS.
struct TListBoxExFlags {
    int32_t Index = 0;
    uint32_t Flags = 0;
};

// What the list box needs of the plug-in: its copy of the host's tables, and the four colour
// words of the plug-in's style (normal text, cursor line, third colour, scroll bar).
struct TListBoxExHost {
    const platform::HostTables* host = nullptr;
    std::array<uint16_t, 4> ListColors{};
};

// The message handler; same arguments and result as a FAR dialog procedure.
LONG_PTR ListBoxExProc(const TListBoxExHost& env, HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);

// `LUpper(c)` when `LIsAlpha(c)`, else `c`, through the host's standard functions (unchanged when
// the host lacks them).
uint32_t NormaliseHotKey(const platform::HostTables& host, uint32_t c);

// ---- The cursor arithmetic, pure functions of the state (exposed for tests) ----

// From `i`, moves one row at a time towards the end (`down`) or the start, counting only rows that
// are not hidden, and stops after `n` counted moves; n = 0 gives the first row that is not hidden
// at or after `i` in that direction (`i` itself when it is shown). Leaving 0..Count-1 gives -1.
int32_t Step(const TListBoxExData& data, int32_t i, int32_t n, bool down);
// Step; when that leaves the list (and the list is not empty), the last row going down or the
// first going up, stepping once back when that row is hidden.
int32_t StepWrap(const TListBoxExData& data, int32_t i, int32_t n, bool down);
// Makes Current a selectable row (searching first in the preferred direction), -1 for an empty list.
void FixCurrent(TListBoxExData& data, bool preferDown);
// Moves Top so that Current is visible in a list `height` rows high (-1 for an empty list).
void FixTop(TListBoxExData& data, int32_t height);

}  // namespace skimmer::dialogs
