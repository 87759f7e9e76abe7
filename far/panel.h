// Panels of the FAR 1.70 interface: the panel item (PluginPanelItem), what a plug-in panel
// describes itself with (OpenPluginInfo and its parts), what Control reports and accepts
// (PanelInfo, FCTL_*), and the flags of the panel entry points (OPM_*, PKF_*, FE_*, ...).
//
// Contract: values are FAR 1.70's on every target (1.75 additions are marked). Structures follow
// far/layout.h: FAR 1.70's bytes on 32-bit Windows (guarded below), natural alignment elsewhere,
// with PanelInfo::CurDir FAR_MAX_PATH bytes. PluginPanelItem::UserData is pointer-sized (DWORD_PTR,
// as 1.75 writes it) because with PPIF_USERDATA it carries a pointer; on 32-bit Windows that is
// FAR 1.70's DWORD. Strings a plug-in hands to FAR stay owned by the plug-in and must live until
// FAR's next call into the panel. Declares types and constants only.
#pragma once

#include "far/find_data.h"
#include "far/layout.h"
#include "far/win_types.h"

// ---- Operation modes passed to the panel entry points (OpMode) ----
inline constexpr int OPM_SILENT = 0x0001;
inline constexpr int OPM_FIND = 0x0002;
inline constexpr int OPM_VIEW = 0x0004;
inline constexpr int OPM_EDIT = 0x0008;
inline constexpr int OPM_TOPLEVEL = 0x0010;
inline constexpr int OPM_DESCR = 0x0020;
inline constexpr int OPM_QUICKVIEW = 0x0040;

// ---- ProcessKey: Key is a virtual-key code (far/vk.h), ControlState holds PKF_CONTROL, PKF_ALT
// and PKF_SHIFT. PKF_PREPROCESS arrives OR-ed into Key, for a pre-processing call that may be
// ignored. Menu break keys use the same bits in their high word. ----
inline constexpr int PKF_CONTROL = 0x00000001;
inline constexpr int PKF_ALT = 0x00000002;
inline constexpr int PKF_SHIFT = 0x00000004;
inline constexpr int PKF_PREPROCESS = 0x00080000;

// ---- PluginPanelItem::Flags (the low word is the plug-in's own) ----
inline constexpr DWORD PPIF_PROCESSDESCR = 0x80000000;
inline constexpr DWORD PPIF_SELECTED = 0x40000000;
inline constexpr DWORD PPIF_USERDATA = 0x20000000;

// ---- OpenPluginInfo::Flags ----
inline constexpr DWORD OPIF_USEFILTER = 0x00000001;
inline constexpr DWORD OPIF_USESORTGROUPS = 0x00000002;
inline constexpr DWORD OPIF_USEHIGHLIGHTING = 0x00000004;
inline constexpr DWORD OPIF_ADDDOTS = 0x00000008;
inline constexpr DWORD OPIF_RAWSELECTION = 0x00000010;
inline constexpr DWORD OPIF_REALNAMES = 0x00000020;
inline constexpr DWORD OPIF_SHOWNAMESONLY = 0x00000040;
inline constexpr DWORD OPIF_SHOWRIGHTALIGNNAMES = 0x00000080;
inline constexpr DWORD OPIF_SHOWPRESERVECASE = 0x00000100;
inline constexpr DWORD OPIF_FINDFOLDERS = 0x00000200;
inline constexpr DWORD OPIF_COMPAREFATTIME = 0x00000400;
inline constexpr DWORD OPIF_EXTERNALGET = 0x00000800;
inline constexpr DWORD OPIF_EXTERNALPUT = 0x00001000;
inline constexpr DWORD OPIF_EXTERNALDELETE = 0x00002000;
inline constexpr DWORD OPIF_EXTERNALMKDIR = 0x00004000;
inline constexpr DWORD OPIF_USEATTRHIGHLIGHTING = 0x00008000;

// ---- ProcessEvent events ----
inline constexpr int FE_CHANGEVIEWMODE = 0;  // Param: the column-types string
inline constexpr int FE_REDRAW = 1;          // TRUE: the plug-in draws the panel itself
inline constexpr int FE_IDLE = 2;
inline constexpr int FE_CLOSE = 3;           // TRUE: keep the panel open
inline constexpr int FE_BREAK = 4;           // sent from another thread
inline constexpr int FE_COMMAND = 5;         // Param: the command; TRUE: handled
inline constexpr int FE_GOTFOCUS = 6;        // 1.75
inline constexpr int FE_KILLFOCUS = 7;       // 1.75

// ---- Control commands. All return TRUE or FALSE. ----
inline constexpr int FCTL_CLOSEPLUGIN = 0;          // Param: folder to show afterwards, or NULL
inline constexpr int FCTL_GETPANELINFO = 1;         // PanelInfo*
inline constexpr int FCTL_GETANOTHERPANELINFO = 2;
inline constexpr int FCTL_UPDATEPANEL = 3;          // NULL clears the selection
inline constexpr int FCTL_UPDATEANOTHERPANEL = 4;
inline constexpr int FCTL_REDRAWPANEL = 5;          // PanelRedrawInfo* or NULL
inline constexpr int FCTL_REDRAWANOTHERPANEL = 6;
inline constexpr int FCTL_SETANOTHERPANELDIR = 7;
inline constexpr int FCTL_GETCMDLINE = 8;           // char buffer of at least 1 KB
inline constexpr int FCTL_SETCMDLINE = 9;
inline constexpr int FCTL_SETSELECTION = 10;
inline constexpr int FCTL_SETANOTHERSELECTION = 11;
inline constexpr int FCTL_SETVIEWMODE = 12;
inline constexpr int FCTL_SETANOTHERVIEWMODE = 13;
inline constexpr int FCTL_INSERTCMDLINE = 14;
inline constexpr int FCTL_SETUSERSCREEN = 15;
inline constexpr int FCTL_SETPANELDIR = 16;
inline constexpr int FCTL_SETCMDLINEPOS = 17;
inline constexpr int FCTL_GETCMDLINEPOS = 18;
inline constexpr int FCTL_SETSORTMODE = 19;
inline constexpr int FCTL_SETANOTHERSORTMODE = 20;
inline constexpr int FCTL_SETSORTORDER = 21;
inline constexpr int FCTL_SETANOTHERSORTORDER = 22;
inline constexpr int FCTL_GETCMDLINESELECTEDTEXT = 23;
inline constexpr int FCTL_SETCMDLINESELECTION = 24;
inline constexpr int FCTL_GETCMDLINESELECTION = 25;
inline constexpr int FCTL_GETPANELSHORTINFO = 26;
inline constexpr int FCTL_GETANOTHERPANELSHORTINFO = 27;
inline constexpr int FCTL_CHECKPANELSEXIST = 28;
inline constexpr int FCTL_SETNUMERICSORT = 29;
inline constexpr int FCTL_SETANOTHERNUMERICSORT = 30;
inline constexpr int FCTL_GETUSERSCREEN = 31;       // 1.75

// ---- PanelInfo ----
inline constexpr int PTYPE_FILEPANEL = 0;
inline constexpr int PTYPE_TREEPANEL = 1;
inline constexpr int PTYPE_QVIEWPANEL = 2;
inline constexpr int PTYPE_INFOPANEL = 3;

inline constexpr DWORD PFLAGS_SHOWHIDDEN = 0x00000001;
inline constexpr DWORD PFLAGS_HIGHLIGHT = 0x00000002;
inline constexpr DWORD PFLAGS_REVERSESORTORDER = 0x00000004;
inline constexpr DWORD PFLAGS_USESORTGROUPS = 0x00000008;
inline constexpr DWORD PFLAGS_SELECTEDFIRST = 0x00000010;
inline constexpr DWORD PFLAGS_REALNAMES = 0x00000020;
inline constexpr DWORD PFLAGS_NUMERICSORT = 0x00000040;
inline constexpr DWORD PFLAGS_PANELLEFT = 0x00000080;  // 1.75

inline constexpr int SM_DEFAULT = 0;
inline constexpr int SM_UNSORTED = 1;
inline constexpr int SM_NAME = 2;
inline constexpr int SM_EXT = 3;
inline constexpr int SM_MTIME = 4;
inline constexpr int SM_CTIME = 5;
inline constexpr int SM_ATIME = 6;
inline constexpr int SM_SIZE = 7;
inline constexpr int SM_DESCR = 8;
inline constexpr int SM_OWNER = 9;
inline constexpr int SM_COMPRESSEDSIZE = 10;
inline constexpr int SM_NUMLINKS = 11;

FAR_PACK_BEGIN

struct PluginPanelItem {
    FAR_FIND_DATA FindData;
    DWORD PackSizeHigh;
    DWORD PackSize;
    DWORD Flags;  // PPIF_* in the high bits
    DWORD NumberOfLinks;
    char* Description;
    char* Owner;
    char** CustomColumnData;  // texts of columns C0..C9
    int CustomColumnNumber;
    DWORD_PTR UserData;  // with PPIF_USERDATA: a block whose first DWORD is its size; FAR copies it
    DWORD CRC32;
    DWORD Reserved[2];
};

struct PanelInfo {
    int PanelType;  // PTYPE_*
    int Plugin;     // non-zero for a plug-in panel
    RECT PanelRect;
    PluginPanelItem* PanelItems;
    int ItemsNumber;
    PluginPanelItem* SelectedItems;
    int SelectedItemsNumber;
    int CurrentItem;
    int TopPanelItem;
    int Visible;
    int Focus;
    int ViewMode;
    char ColumnTypes[80];
    char ColumnWidths[80];
    char CurDir[FAR_MAX_PATH];
    int ShortNames;
    int SortMode;  // SM_*
    DWORD Flags;   // PFLAGS_*
    DWORD Reserved;
};

struct PanelRedrawInfo {
    int CurrentItem;
    int TopPanelItem;
};

struct CmdLineSelect {
    int SelStart;
    int SelEnd;
};

struct InfoPanelLine {
    char Text[80];
    char Data[80];
    int Separator;
};

struct PanelMode {
    const char* ColumnTypes;
    const char* ColumnWidths;
    const char* const* ColumnTitles;
    int FullScreen;
    int DetailedStatus;
    int AlignExtensions;
    int CaseConversion;
    const char* StatusColumnTypes;
    const char* StatusColumnWidths;
    DWORD Reserved[2];
};

struct KeyBarTitles {
    const char* Titles[12];
    const char* CtrlTitles[12];
    const char* AltTitles[12];
    const char* ShiftTitles[12];
    const char* CtrlShiftTitles[12];
    const char* AltShiftTitles[12];
    const char* CtrlAltTitles[12];
};

struct OpenPluginInfo {
    int StructSize;  // set by the plug-in
    DWORD Flags;     // OPIF_*
    const char* HostFile;
    const char* CurDir;
    const char* Format;
    const char* PanelTitle;
    const InfoPanelLine* InfoLines;
    int InfoLinesNumber;
    const char* const* DescrFiles;
    int DescrFilesNumber;
    const PanelMode* PanelModesArray;
    int PanelModesNumber;
    int StartPanelMode;
    int StartSortMode;
    int StartSortOrder;
    const KeyBarTitles* KeyBar;
    const char* ShortcutData;
    long Reserverd;  // FAR's spelling
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(PluginPanelItem) == 366);
static_assert(offsetof(PluginPanelItem, PackSizeHigh) == 318);
static_assert(offsetof(PluginPanelItem, Description) == 334);
static_assert(offsetof(PluginPanelItem, UserData) == 350);
static_assert(offsetof(PluginPanelItem, CRC32) == 354);
static_assert(sizeof(PanelInfo) == 496);
static_assert(offsetof(PanelInfo, PanelItems) == 24);
static_assert(offsetof(PanelInfo, ColumnTypes) == 60);
static_assert(offsetof(PanelInfo, CurDir) == 220);
static_assert(offsetof(PanelInfo, ShortNames) == 480);
static_assert(sizeof(PanelRedrawInfo) == 8);
static_assert(sizeof(CmdLineSelect) == 8);
static_assert(sizeof(InfoPanelLine) == 164);
static_assert(sizeof(PanelMode) == 44);
static_assert(sizeof(KeyBarTitles) == 336);
static_assert(sizeof(OpenPluginInfo) == 72);
static_assert(offsetof(OpenPluginInfo, InfoLines) == 24);
static_assert(offsetof(OpenPluginInfo, KeyBar) == 60);
static_assert(offsetof(OpenPluginInfo, ShortcutData) == 64);
#endif
