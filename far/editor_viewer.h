// FAR's viewer and editor as the FAR 1.70 interface opens and drives them: Viewer and Editor flags
// and results, the ViewerControl and EditorControl commands, the viewer and editor events, and the
// selection structures that the edit-line dialog messages (DM_GETSELECTION, DM_SETSELECTION) share.
//
// Contract: values are FAR 1.70's on every target. The larger editor and viewer structures
// (EditorInfo, ViewerInfo, ...) are not declared: nothing on either side of our seam uses them, and
// EditorControl/ViewerControl take them as void*. Declares types and constants only.
#pragma once

#include "far/layout.h"
#include "far/win_types.h"

// ---- Viewer flags ----
inline constexpr DWORD VF_NONMODAL = 0x00000001;
inline constexpr DWORD VF_DELETEONCLOSE = 0x00000002;
inline constexpr DWORD VF_ENABLE_F6 = 0x00000004;
inline constexpr DWORD VF_DISABLEHISTORY = 0x00000008;
inline constexpr DWORD VF_IMMEDIATERETURN = 0x00000100;
inline constexpr DWORD VF_DELETEONLYFILEONCLOSE = 0x00000200;

// ---- Editor flags and results ----
inline constexpr DWORD EF_NONMODAL = 0x00000001;
inline constexpr DWORD EF_CREATENEW = 0x00000002;
inline constexpr DWORD EF_ENABLE_F6 = 0x00000004;
inline constexpr DWORD EF_DISABLEHISTORY = 0x00000008;
inline constexpr DWORD EF_DELETEONCLOSE = 0x00000010;
inline constexpr DWORD EF_IMMEDIATERETURN = 0x00000100;
inline constexpr DWORD EF_DELETEONLYFILEONCLOSE = 0x00000200;

inline constexpr int EEC_OPEN_ERROR = 0;
inline constexpr int EEC_MODIFIED = 1;
inline constexpr int EEC_NOT_MODIFIED = 2;
inline constexpr int EEC_LOADING_INTERRUPTED = 3;

// ---- ViewerControl commands and viewer events ----
inline constexpr int VCTL_GETINFO = 0;
inline constexpr int VCTL_QUIT = 1;
inline constexpr int VCTL_REDRAW = 2;
inline constexpr int VCTL_SETKEYBAR = 3;
inline constexpr int VCTL_SETPOSITION = 4;
inline constexpr int VCTL_SELECT = 5;
inline constexpr int VE_READ = 0;
inline constexpr int VE_CLOSE = 1;

// ---- EditorControl commands and editor events ----
inline constexpr int ECTL_GETSTRING = 0;
inline constexpr int ECTL_SETSTRING = 1;
inline constexpr int ECTL_INSERTSTRING = 2;
inline constexpr int ECTL_DELETESTRING = 3;
inline constexpr int ECTL_DELETECHAR = 4;
inline constexpr int ECTL_INSERTTEXT = 5;
inline constexpr int ECTL_GETINFO = 6;
inline constexpr int ECTL_SETPOSITION = 7;
inline constexpr int ECTL_SELECT = 8;
inline constexpr int ECTL_REDRAW = 9;
inline constexpr int ECTL_EDITORTOOEM = 10;
inline constexpr int ECTL_OEMTOEDITOR = 11;
inline constexpr int ECTL_TABTOREAL = 12;
inline constexpr int ECTL_REALTOTAB = 13;
inline constexpr int ECTL_EXPANDTABS = 14;
inline constexpr int ECTL_SETTITLE = 15;
inline constexpr int ECTL_READINPUT = 16;
inline constexpr int ECTL_PROCESSINPUT = 17;
inline constexpr int ECTL_ADDCOLOR = 18;
inline constexpr int ECTL_GETCOLOR = 19;
inline constexpr int ECTL_SAVEFILE = 20;
inline constexpr int ECTL_QUIT = 21;
inline constexpr int ECTL_SETKEYBAR = 22;
inline constexpr int ECTL_PROCESSKEY = 23;
inline constexpr int ECTL_SETPARAM = 24;
inline constexpr int ECTL_GETBOOKMARKS = 25;
inline constexpr int ECTL_TURNOFFMARKINGBLOCK = 26;
inline constexpr int ECTL_DELETEBLOCK = 27;
inline constexpr int EE_READ = 0;
inline constexpr int EE_SAVE = 1;
inline constexpr int EE_REDRAW = 2;
inline constexpr int EE_CLOSE = 3;

// ---- Selection of an edit line ----
inline constexpr int BTYPE_NONE = 0;
inline constexpr int BTYPE_STREAM = 1;
inline constexpr int BTYPE_COLUMN = 2;

FAR_PACK_BEGIN

struct EditorSelect {
    int BlockType;  // BTYPE_*
    int BlockStartLine;
    int BlockStartPos;
    int BlockWidth;
    int BlockHeight;
};

struct EditorSetPosition {
    int CurLine;
    int CurPos;
    int CurTabPos;
    int TopScreenLine;
    int LeftPos;
    int Overtype;
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(EditorSelect) == 20);
static_assert(sizeof(EditorSetPosition) == 24);
#endif
