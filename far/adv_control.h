// AdvControl of the FAR 1.70 interface: its commands (ACTL_*), the structures they take (posted
// key sequences, key macros, colour arrays, window information) and the setting bits the
// ACTL_GET*SETTINGS commands return.
//
// Contract: values are FAR 1.70's on every target (1.75 additions are marked). ACTL_GETFARVERSION
// answers MAKEFARVERSION(major, minor, build) (far/plugin.h). Key codes in a KeySequence are FAR
// key codes (far/keys.h), never virtual-key codes; a macro text in ActlKeyMacro is parsed by the
// host when posted and runs after the plug-in returns. Structures follow far/layout.h. Declares
// types and constants only.
#pragma once

#include "far/layout.h"
#include "far/win_types.h"

// ---- Commands ----
inline constexpr int ACTL_GETFARVERSION = 0;          // DWORD* or NULL -> the version
inline constexpr int ACTL_CONSOLEMODE = 1;
inline constexpr int ACTL_GETSYSWORDDIV = 2;
inline constexpr int ACTL_WAITKEY = 3;
inline constexpr int ACTL_GETCOLOR = 4;               // palette index -> attribute, or -1
inline constexpr int ACTL_GETARRAYCOLOR = 5;          // BYTE* or NULL -> palette size
inline constexpr int ACTL_EJECTMEDIA = 6;
inline constexpr int ACTL_KEYMACRO = 7;               // ActlKeyMacro*
inline constexpr int ACTL_POSTKEYSEQUENCE = 8;        // KeySequence*
inline constexpr int ACTL_GETWINDOWINFO = 9;
inline constexpr int ACTL_GETWINDOWCOUNT = 10;
inline constexpr int ACTL_SETCURRENTWINDOW = 11;
inline constexpr int ACTL_COMMIT = 12;
inline constexpr int ACTL_GETFARHWND = 13;
inline constexpr int ACTL_GETSYSTEMSETTINGS = 14;
inline constexpr int ACTL_GETPANELSETTINGS = 15;
inline constexpr int ACTL_GETINTERFACESETTINGS = 16;
inline constexpr int ACTL_GETCONFIRMATIONS = 17;
inline constexpr int ACTL_GETDESCSETTINGS = 18;
inline constexpr int ACTL_SETARRAYCOLOR = 19;         // FarSetColors*
inline constexpr int ACTL_GETWCHARMODE = 20;
inline constexpr int ACTL_GETPLUGINMAXREADDATA = 21;
inline constexpr int ACTL_GETDIALOGSETTINGS = 22;
inline constexpr int ACTL_GETSHORTWINDOWINFO = 23;
inline constexpr int ACTL_REDRAWALL = 27;             // 1.75

// ---- ACTL_CONSOLEMODE ----
inline constexpr int FAR_CONSOLE_GET_MODE = -2;
inline constexpr int FAR_CONSOLE_TRIGGER = -1;
inline constexpr int FAR_CONSOLE_SET_WINDOWED = 0;
inline constexpr int FAR_CONSOLE_SET_FULLSCREEN = 1;
inline constexpr int FAR_CONSOLE_WINDOWED = 0;
inline constexpr int FAR_CONSOLE_FULLSCREEN = 1;

// ---- ACTL_EJECTMEDIA ----
inline constexpr DWORD EJECT_NO_MESSAGE = 0x00000001;
inline constexpr DWORD EJECT_LOAD_MEDIA = 0x00000002;

// ---- ACTL_KEYMACRO commands, and the flags it shares with KeySequence ----
inline constexpr int MCMD_LOADALL = 0;            // reload macros from the registry
inline constexpr int MCMD_SAVEALL = 1;
inline constexpr int MCMD_POSTMACROSTRING = 2;    // parse and queue a macro text; TRUE = parsed
inline constexpr DWORD KSFLAGS_DISABLEOUTPUT = 0x00000001;
inline constexpr DWORD KSFLAGS_NOSENDKEYSTOPLUGINS = 0x00000002;

// ---- ACTL_SETARRAYCOLOR ----
inline constexpr DWORD FCLR_REDRAW = 0x00000001;

// ---- ACTL_GETWINDOWINFO ----
inline constexpr int WTYPE_PANELS = 1;
inline constexpr int WTYPE_VIEWER = 2;
inline constexpr int WTYPE_EDITOR = 3;
inline constexpr int WTYPE_DIALOG = 4;
inline constexpr int WTYPE_VMENU = 5;
inline constexpr int WTYPE_HELP = 6;

// ---- ACTL_GETSYSTEMSETTINGS ----
inline constexpr DWORD FSS_CLEARROATTRIBUTE = 0x00000001;
inline constexpr DWORD FSS_DELETETORECYCLEBIN = 0x00000002;
inline constexpr DWORD FSS_USESYSTEMCOPYROUTINE = 0x00000004;
inline constexpr DWORD FSS_COPYFILESOPENEDFORWRITING = 0x00000008;
inline constexpr DWORD FSS_CREATEFOLDERSINUPPERCASE = 0x00000010;
inline constexpr DWORD FSS_SAVECOMMANDSHISTORY = 0x00000020;
inline constexpr DWORD FSS_SAVEFOLDERSHISTORY = 0x00000040;
inline constexpr DWORD FSS_SAVEVIEWANDEDITHISTORY = 0x00000080;
inline constexpr DWORD FSS_USEWINDOWSREGISTEREDTYPES = 0x00000100;
inline constexpr DWORD FSS_AUTOSAVESETUP = 0x00000200;
inline constexpr DWORD FSS_SCANSYMLINK = 0x00000400;

// ---- ACTL_GETPANELSETTINGS ----
inline constexpr DWORD FPS_SHOWHIDDENANDSYSTEMFILES = 0x00000001;
inline constexpr DWORD FPS_HIGHLIGHTFILES = 0x00000002;
inline constexpr DWORD FPS_AUTOCHANGEFOLDER = 0x00000004;
inline constexpr DWORD FPS_SELECTFOLDERS = 0x00000008;
inline constexpr DWORD FPS_ALLOWREVERSESORTMODES = 0x00000010;
inline constexpr DWORD FPS_SHOWCOLUMNTITLES = 0x00000020;
inline constexpr DWORD FPS_SHOWSTATUSLINE = 0x00000040;
inline constexpr DWORD FPS_SHOWFILESTOTALINFORMATION = 0x00000080;
inline constexpr DWORD FPS_SHOWFREESIZE = 0x00000100;
inline constexpr DWORD FPS_SHOWSCROLLBAR = 0x00000200;
inline constexpr DWORD FPS_SHOWBACKGROUNDSCREENSNUMBER = 0x00000400;
inline constexpr DWORD FPS_SHOWSORTMODELETTER = 0x00000800;

// ---- ACTL_GETINTERFACESETTINGS ----
inline constexpr DWORD FIS_CLOCKINPANELS = 0x00000001;
inline constexpr DWORD FIS_CLOCKINVIEWERANDEDITOR = 0x00000002;
inline constexpr DWORD FIS_MOUSE = 0x00000004;
inline constexpr DWORD FIS_SHOWKEYBAR = 0x00000008;
inline constexpr DWORD FIS_ALWAYSSHOWMENUBAR = 0x00000010;
inline constexpr DWORD FIS_USERIGHTALTASALTGR = 0x00000080;
inline constexpr DWORD FIS_SHOWTOTALCOPYPROGRESSINDICATOR = 0x00000100;
inline constexpr DWORD FIS_SHOWCOPYINGTIMEINFO = 0x00000200;
inline constexpr DWORD FIS_USECTRLPGUPTOCHANGEDRIVE = 0x00000800;

// ---- ACTL_GETCONFIRMATIONS ----
inline constexpr DWORD FCS_COPYOVERWRITE = 0x00000001;
inline constexpr DWORD FCS_MOVEOVERWRITE = 0x00000002;
inline constexpr DWORD FCS_DRAGANDDROP = 0x00000004;
inline constexpr DWORD FCS_DELETE = 0x00000008;
inline constexpr DWORD FCS_DELETENONEMPTYFOLDERS = 0x00000010;
inline constexpr DWORD FCS_INTERRUPTOPERATION = 0x00000020;
inline constexpr DWORD FCS_DISCONNECTNETWORKDRIVE = 0x00000040;
inline constexpr DWORD FCS_RELOADEDITEDFILE = 0x00000080;
inline constexpr DWORD FCS_CLEARHISTORYLIST = 0x00000100;
inline constexpr DWORD FCS_EXIT = 0x00000200;

// ---- ACTL_GETDESCSETTINGS ----
inline constexpr DWORD FDS_UPDATEALWAYS = 0x00000001;
inline constexpr DWORD FDS_UPDATEIFDISPLAYED = 0x00000002;
inline constexpr DWORD FDS_SETHIDDEN = 0x00000004;
inline constexpr DWORD FDS_UPDATEREADONLY = 0x00000008;

// ---- ACTL_GETDIALOGSETTINGS ----
inline constexpr DWORD FDIS_HISTORYINDIALOGEDITCONTROLS = 0x00000001;
inline constexpr DWORD FDIS_PERSISTENTBLOCKSINEDITCONTROLS = 0x00000002;
inline constexpr DWORD FDIS_AUTOCOMPLETEININPUTLINES = 0x00000004;
inline constexpr DWORD FDIS_BSDELETEUNCHANGEDTEXT = 0x00000008;
inline constexpr DWORD FDIS_DELREMOVESBLOCKS = 0x00000010;                // 1.75
inline constexpr DWORD FDIS_MOUSECLICKOUTSIDECLOSESDIALOG = 0x00000020;   // 1.75

FAR_PACK_BEGIN

struct KeySequence {
    DWORD Flags;  // KSFLAGS_*
    int Count;
    const DWORD* Sequence;  // FAR key codes
};

struct ActlKeyMacro {
    int Command;  // MCMD_*
    union {
        struct {
            const char* SequenceText;  // the macro text, OEM (UTF-8 on Linux)
            DWORD Flags;               // KSFLAGS_*
        } PlainText;
        DWORD Reserved[3];
    } Param;
};

struct ActlEjectMedia {
    DWORD Letter;
    DWORD Flags;  // EJECT_*
};

struct FarSetColors {
    DWORD Flags;  // FCLR_*
    int StartIndex;
    int ColorCount;
    BYTE* Colors;
};

struct WindowInfo {
    int Pos;   // -1: the current window
    int Type;  // WTYPE_*
    int Modified;
    int Current;
    char TypeName[64];
    char Name[FAR_MAX_PATH];
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(KeySequence) == 12);
static_assert(sizeof(ActlKeyMacro) == 16);
static_assert(offsetof(ActlKeyMacro, Param.PlainText.SequenceText) == 4);
static_assert(offsetof(ActlKeyMacro, Param.PlainText.Flags) == 8);
static_assert(sizeof(ActlEjectMedia) == 8);
static_assert(sizeof(FarSetColors) == 16);
static_assert(sizeof(WindowInfo) == 340);
#endif
