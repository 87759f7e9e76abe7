// Dialogs of the FAR 1.70 interface: item types (DI_*), item flags (DIF_*), the messages a plug-in
// sends to a running dialog (DM_*), the notifications its dialog procedure receives (DN_*),
// DialogEx flags (FDLG_*), the dialog item and the list structures the messages carry.
//
// Contract: values are FAR 1.70's on every target (entries marked 1.75 come from the later ANSI
// interface; a real FAR 1.70 ignores them). Structures follow far/layout.h: FAR 1.70's bytes on
// 32-bit Windows (guarded below), natural alignment elsewhere. Param2 and the results of dialog
// messages are LONG_PTR, as wide as a pointer, because many carry one; on 32-bit Windows that is
// FAR 1.70's `long`. Declares types and constants only.
#pragma once

#include "far/calling.h"
#include "far/layout.h"
#include "far/win_types.h"

// ---- Item types (FarDialogItem::Type) ----
inline constexpr int DI_TEXT = 0;
inline constexpr int DI_VTEXT = 1;
inline constexpr int DI_SINGLEBOX = 2;
inline constexpr int DI_DOUBLEBOX = 3;
inline constexpr int DI_EDIT = 4;
inline constexpr int DI_PSWEDIT = 5;
inline constexpr int DI_FIXEDIT = 6;
inline constexpr int DI_BUTTON = 7;
inline constexpr int DI_CHECKBOX = 8;
inline constexpr int DI_RADIOBUTTON = 9;
inline constexpr int DI_COMBOBOX = 10;
inline constexpr int DI_LISTBOX = 11;
inline constexpr int DI_USERCONTROL = 255;

// ---- Item flags (FarDialogItem::Flags). One value may mean different things for different item
// types; the comment names the type each meaning belongs to. ----
inline constexpr DWORD DIF_COLORMASK = 0x000000FF;        // attribute used with DIF_SETCOLOR
inline constexpr DWORD DIF_SETCOLOR = 0x00000100;
inline constexpr DWORD DIF_BOXCOLOR = 0x00000200;
inline constexpr DWORD DIF_GROUP = 0x00000400;            // first radio button of a group
inline constexpr DWORD DIF_LEFTTEXT = 0x00000800;         // box title aligned left
inline constexpr DWORD DIF_MOVESELECT = 0x00001000;
inline constexpr DWORD DIF_SHOWAMPERSAND = 0x00002000;
inline constexpr DWORD DIF_CENTERGROUP = 0x00004000;
inline constexpr DWORD DIF_NOBRACKETS = 0x00008000;       // button
inline constexpr DWORD DIF_MANUALADDHISTORY = 0x00008000; // edit
inline constexpr DWORD DIF_SEPARATOR = 0x00010000;        // text
inline constexpr DWORD DIF_VAREDIT = 0x00010000;          // edit, combo: text in Ptr
inline constexpr DWORD DIF_SEPARATOR2 = 0x00020000;       // text
inline constexpr DWORD DIF_EDITOR = 0x00020000;           // edit
inline constexpr DWORD DIF_LISTNOAMPERSAND = 0x00020000;  // list
inline constexpr DWORD DIF_HISTORY = 0x00040000;          // edit
inline constexpr DWORD DIF_LISTNOBOX = 0x00040000;        // list box
inline constexpr DWORD DIF_BTNNOCLOSE = 0x00040000;       // button
inline constexpr DWORD DIF_CENTERTEXT = 0x00040000;       // text
inline constexpr DWORD DIF_NOTCVTUSERCONTROL = 0x00040000;  // user control (1.75)
inline constexpr DWORD DIF_EDITEXPAND = 0x00080000;
inline constexpr DWORD DIF_DROPDOWNLIST = 0x00100000;
inline constexpr DWORD DIF_USELASTHISTORY = 0x00200000;
inline constexpr DWORD DIF_MASKEDIT = 0x00400000;
inline constexpr DWORD DIF_SELECTONENTRY = 0x00800000;    // edit
inline constexpr DWORD DIF_3STATE = 0x00800000;           // check box
inline constexpr DWORD DIF_LISTWRAPMODE = 0x01000000;
inline constexpr DWORD DIF_LISTAUTOHIGHLIGHT = 0x02000000;
inline constexpr DWORD DIF_NOAUTOCOMPLETE = 0x02000000;   // edit (1.75)
inline constexpr DWORD DIF_LISTNOCLOSE = 0x04000000;
inline constexpr DWORD DIF_HIDDEN = 0x10000000;
inline constexpr DWORD DIF_READONLY = 0x20000000;
inline constexpr DWORD DIF_NOFOCUS = 0x40000000;
inline constexpr DWORD DIF_DISABLE = 0x80000000;

// ---- Messages to a dialog (SendDlgMessage) ----
inline constexpr int DM_FIRST = 0;
inline constexpr int DM_CLOSE = 1;
inline constexpr int DM_ENABLE = 2;
inline constexpr int DM_ENABLEREDRAW = 3;
inline constexpr int DM_GETDLGDATA = 4;
inline constexpr int DM_GETDLGITEM = 5;
inline constexpr int DM_GETDLGRECT = 6;
inline constexpr int DM_GETTEXT = 7;
inline constexpr int DM_GETTEXTLENGTH = 8;
inline constexpr int DM_KEY = 9;
inline constexpr int DM_MOVEDIALOG = 10;
inline constexpr int DM_SETDLGDATA = 11;
inline constexpr int DM_SETDLGITEM = 12;
inline constexpr int DM_SETFOCUS = 13;
inline constexpr int DM_REDRAW = 14;
inline constexpr int DM_SETREDRAW = DM_REDRAW;
inline constexpr int DM_SETTEXT = 15;
inline constexpr int DM_SETMAXTEXTLENGTH = 16;
inline constexpr int DM_SETTEXTLENGTH = DM_SETMAXTEXTLENGTH;
inline constexpr int DM_SHOWDIALOG = 17;
inline constexpr int DM_GETFOCUS = 18;
inline constexpr int DM_GETCURSORPOS = 19;
inline constexpr int DM_SETCURSORPOS = 20;
inline constexpr int DM_GETTEXTPTR = 21;
inline constexpr int DM_SETTEXTPTR = 22;
inline constexpr int DM_SHOWITEM = 23;
inline constexpr int DM_ADDHISTORY = 24;
inline constexpr int DM_GETCHECK = 25;
inline constexpr int DM_SETCHECK = 26;
inline constexpr int DM_SET3STATE = 27;
inline constexpr int DM_LISTSORT = 28;
inline constexpr int DM_LISTGETITEM = 29;
inline constexpr int DM_LISTGETCURPOS = 30;
inline constexpr int DM_LISTSETCURPOS = 31;
inline constexpr int DM_LISTDELETE = 32;
inline constexpr int DM_LISTADD = 33;
inline constexpr int DM_LISTADDSTR = 34;
inline constexpr int DM_LISTUPDATE = 35;
inline constexpr int DM_LISTINSERT = 36;
inline constexpr int DM_LISTFINDSTRING = 37;
inline constexpr int DM_LISTINFO = 38;
inline constexpr int DM_LISTGETDATA = 39;
inline constexpr int DM_LISTSETDATA = 40;
inline constexpr int DM_LISTSETTITLES = 41;
inline constexpr int DM_LISTGETTITLES = 42;
inline constexpr int DM_RESIZEDIALOG = 43;
inline constexpr int DM_SETITEMPOSITION = 44;
inline constexpr int DM_GETDROPDOWNOPENED = 45;
inline constexpr int DM_SETDROPDOWNOPENED = 46;
inline constexpr int DM_SETHISTORY = 47;
inline constexpr int DM_GETITEMPOSITION = 48;
inline constexpr int DM_SETMOUSEEVENTNOTIFY = 49;
inline constexpr int DM_EDITUNCHANGEDFLAG = 50;
inline constexpr int DM_GETITEMDATA = 51;
inline constexpr int DM_SETITEMDATA = 52;
inline constexpr int DM_LISTSET = 53;
inline constexpr int DM_LISTSETMOUSEREACTION = 54;
inline constexpr int DM_GETCURSORSIZE = 55;
inline constexpr int DM_SETCURSORSIZE = 56;
inline constexpr int DM_LISTGETDATASIZE = 57;
inline constexpr int DM_GETSELECTION = 58;
inline constexpr int DM_SETSELECTION = 59;
inline constexpr int DN_LISTHOTKEY = 60;  // a notification numbered among the messages
inline constexpr int DM_GETEDITPOSITION = 61;    // 1.75
inline constexpr int DM_SETEDITPOSITION = 62;    // 1.75
inline constexpr int DM_SETCOMBOBOXEVENT = 63;   // 1.75
inline constexpr int DM_GETCOMBOBOXEVENT = 64;   // 1.75
inline constexpr int DM_USER = 0x4000;  // the first number a dialog may use for its own messages

// ---- Notifications to the dialog procedure ----
inline constexpr int DN_FIRST = 0x1000;
inline constexpr int DN_BTNCLICK = 0x1001;
inline constexpr int DN_CTLCOLORDIALOG = 0x1002;
inline constexpr int DN_CTLCOLORDLGITEM = 0x1003;
inline constexpr int DN_CTLCOLORDLGLIST = 0x1004;
inline constexpr int DN_DRAWDIALOG = 0x1005;
inline constexpr int DN_DRAWDLGITEM = 0x1006;
inline constexpr int DN_EDITCHANGE = 0x1007;
inline constexpr int DN_ENTERIDLE = 0x1008;
inline constexpr int DN_GOTFOCUS = 0x1009;
inline constexpr int DN_HELP = 0x100A;
inline constexpr int DN_HOTKEY = 0x100B;
inline constexpr int DN_INITDIALOG = 0x100C;
inline constexpr int DN_KILLFOCUS = 0x100D;
inline constexpr int DN_LISTCHANGE = 0x100E;
inline constexpr int DN_MOUSECLICK = 0x100F;
inline constexpr int DN_DRAGGED = 0x1010;
inline constexpr int DN_RESIZECONSOLE = 0x1011;
inline constexpr int DN_MOUSEEVENT = 0x1012;
inline constexpr int DN_DRAWDIALOGDONE = 0x1013;
inline constexpr int DN_CLOSE = DM_CLOSE;
inline constexpr int DN_KEY = DM_KEY;

// ---- Check box states (DM_GETCHECK, DM_SETCHECK) ----
inline constexpr int BSTATE_UNCHECKED = 0;
inline constexpr int BSTATE_CHECKED = 1;
inline constexpr int BSTATE_3STATE = 2;
inline constexpr int BSTATE_TOGGLE = 3;

// ---- DM_LISTSETMOUSEREACTION ----
inline constexpr int LMRT_ONLYFOCUS = 0;
inline constexpr int LMRT_ALWAYS = 1;
inline constexpr int LMRT_NEVER = 2;

// ---- DM_SETCOMBOBOXEVENT (1.75) ----
inline constexpr int CBET_KEY = 0x00000001;
inline constexpr int CBET_MOUSE = 0x00000002;

// ---- DialogEx flags ----
inline constexpr DWORD FDLG_WARNING = 0x00000001;
inline constexpr DWORD FDLG_SMALLDIALOG = 0x00000002;
inline constexpr DWORD FDLG_NODRAWSHADOW = 0x00000004;
inline constexpr DWORD FDLG_NODRAWPANEL = 0x00000008;

// ---- List items (FarListItem::Flags) and list information (FarListInfo::Flags) ----
inline constexpr DWORD LIF_SELECTED = 0x00010000;
inline constexpr DWORD LIF_CHECKED = 0x00020000;
inline constexpr DWORD LIF_SEPARATOR = 0x00040000;
inline constexpr DWORD LIF_DISABLE = 0x00080000;
inline constexpr DWORD LIF_DELETEUSERDATA = 0x80000000;
inline constexpr DWORD LINFO_SHOWNOBOX = 0x00000400;
inline constexpr DWORD LINFO_AUTOHIGHLIGHT = 0x00000800;
inline constexpr DWORD LINFO_REVERSEHIGHLIGHT = 0x00001000;
inline constexpr DWORD LINFO_WRAPMODE = 0x00008000;
inline constexpr DWORD LINFO_SHOWAMPERSAND = 0x00010000;
inline constexpr DWORD LIFIND_EXACTMATCH = 0x00000001;

// The dialog procedure given to DialogEx; unhandled messages go to DefDlgProc.
typedef LONG_PTR(FARAPI* FARWINDOWPROC)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);

FAR_PACK_BEGIN

struct FarListItem {
    DWORD Flags;  // LIF_*
    char Text[128];
    DWORD Reserved[3];
};

struct FarList {
    int ItemsNumber;
    FarListItem* Items;
};

struct FarListUpdate {
    int Index;
    FarListItem Item;
};

struct FarListInsert {
    int Index;
    FarListItem Item;
};

struct FarListGetItem {
    int ItemIndex;
    FarListItem Item;
};

struct FarListPos {
    int SelectPos;
    int TopPos;
};

struct FarListFind {
    int StartIndex;
    const char* Pattern;
    DWORD Flags;  // LIFIND_*
    DWORD Reserved;
};

struct FarListDelete {
    int StartIndex;
    int Count;
};

struct FarListInfo {
    DWORD Flags;  // LINFO_*
    int ItemsNumber;
    int SelectPos;
    int TopPos;
    int MaxHeight;
    int MaxLength;
    DWORD Reserved[6];
};

struct FarListItemData {
    int Index;
    int DataSize;
    void* Data;
    DWORD Reserved;
};

struct FarListTitles {
    int TitleLen;
    char* Title;
    int BottomLen;
    char* Bottom;
};

struct FarListColors {
    DWORD Flags;
    DWORD Reserved;
    int ColorCount;
    BYTE* Colors;
};

struct FarDialogItemData {
    int PtrLength;
    char* PtrData;
};

struct FarDialogItem {
    int Type;  // DI_*
    int X1;    // X1..Y2: relative to the dialog's top-left corner
    int Y1;
    int X2;
    int Y2;
    int Focus;
    union {
        int Selected;
        const char* History;
        const char* Mask;
        FarList* ListItems;
        int ListPos;
        CHAR_INFO* VBuf;  // DI_USERCONTROL: (X2-X1+1) x (Y2-Y1+1) cells
        DWORD_PTR Reserved;
    };
    DWORD Flags;  // DIF_*
    int DefaultButton;
    union {
        char Data[512];
        struct {  // with DIF_VAREDIT
            DWORD PtrFlags;
            int PtrLength;
            char* PtrData;
            char PtrTail[1];
        } Ptr;
    };
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(FarListItem) == 144);
static_assert(sizeof(FarList) == 8);
static_assert(sizeof(FarListUpdate) == 148);
static_assert(sizeof(FarListInsert) == 148);
static_assert(sizeof(FarListGetItem) == 148);
static_assert(sizeof(FarListPos) == 8);
static_assert(sizeof(FarListFind) == 16);
static_assert(sizeof(FarListDelete) == 8);
static_assert(sizeof(FarListInfo) == 48);
static_assert(sizeof(FarListItemData) == 16);
static_assert(sizeof(FarListTitles) == 16);
static_assert(sizeof(FarListColors) == 16);
static_assert(sizeof(FarDialogItemData) == 8);
static_assert(sizeof(FarDialogItem) == 548);
static_assert(offsetof(FarDialogItem, Selected) == 24);
static_assert(offsetof(FarDialogItem, Flags) == 28);
static_assert(offsetof(FarDialogItem, DefaultButton) == 32);
static_assert(offsetof(FarDialogItem, Data) == 36);
static_assert(offsetof(FarDialogItem, Ptr.PtrData) == 44);
#endif
