// The two tables at the heart of the FAR 1.70 interface: PluginStartupInfo, the host's services
// as the plug-in receives them in SetStartupInfo, and PluginInfo, what the plug-in announces in
// GetPluginInfo; with the function types of every service and the flags they take.
//
// Contract:
// - Member order is FAR 1.70 build 2087's; on 32-bit Windows PluginStartupInfo is its 372 bytes
//   and PluginInfo its 44 (guarded below). Elsewhere ModuleName holds FAR_MAX_PATH bytes.
// - The host owns both tables it passes and keeps them valid until ExitFAR returns; a plug-in
//   copies what it needs. The plug-in owns the strings it puts into PluginInfo and keeps them
//   alive until its next GetPluginInfo.
// - Every PluginNumber/ModuleNumber argument is the ModuleNumber the host passed.
// - Values that can carry a pointer (dialog Param2 and results, DialogEx Param, AdvControl's
//   result) are pointer-sized; on 32-bit Windows that is FAR 1.70's int/long.
// Declares types and constants only.
#pragma once

#include "far/calling.h"
#include "far/dialog.h"
#include "far/layout.h"
#include "far/messages.h"
#include "far/panel.h"
#include "far/standard_functions.h"
#include "far/win_types.h"

// A FAR version word: ACTL_GETFARVERSION's answer and GetMinFarVersion's result.
constexpr DWORD MAKEFARVERSION(DWORD major, DWORD minor, DWORD build) {
    return (build << 16) | (major << 8) | minor;
}
// The version this interface describes: FAR 1.70 build 2087.
inline constexpr DWORD FARMANAGERVERSION = MAKEFARVERSION(1, 70, 2087);

// ---- PluginInfo::Flags ----
inline constexpr DWORD PF_PRELOAD = 0x0001;
inline constexpr DWORD PF_DISABLEPANELS = 0x0002;
inline constexpr DWORD PF_EDITOR = 0x0004;
inline constexpr DWORD PF_VIEWER = 0x0008;
inline constexpr DWORD PF_FULLCMDLINE = 0x0010;

// ---- OpenPlugin's OpenFrom ----
inline constexpr int OPEN_DISKMENU = 0;
inline constexpr int OPEN_PLUGINSMENU = 1;
inline constexpr int OPEN_FINDLIST = 2;
inline constexpr int OPEN_SHORTCUT = 3;     // Item: the ShortcutData string
inline constexpr int OPEN_COMMANDLINE = 4;  // Item: the text after "prefix:"
inline constexpr int OPEN_EDITOR = 5;
inline constexpr int OPEN_VIEWER = 6;

// ---- ShowHelp ----
inline constexpr DWORD FHELP_SELFHELP = 0x00000000;
inline constexpr DWORD FHELP_FARHELP = 0x00000001;
inline constexpr DWORD FHELP_CUSTOMFILE = 0x00000002;
inline constexpr DWORD FHELP_CUSTOMPATH = 0x00000004;
inline constexpr DWORD FHELP_USECONTENTS = 0x40000000;
inline constexpr DWORD FHELP_NOSHOWERROR = 0x80000000;

// ---- InputBox ----
inline constexpr DWORD FIB_ENABLEEMPTY = 0x00000001;
inline constexpr DWORD FIB_PASSWORD = 0x00000002;
inline constexpr DWORD FIB_EXPANDENV = 0x00000004;
inline constexpr DWORD FIB_NOUSELASTHISTORY = 0x00000008;
inline constexpr DWORD FIB_BUTTONS = 0x00000010;
inline constexpr DWORD FIB_NOAMPERSAND = 0x00000020;

// ---- The services of PluginStartupInfo ----
// BreakKeys: virtual-key code in the low word, PKF_* in the high word, ending with 0. With
// FMENU_USEEXT, Item points to FarMenuItemEx. X, Y = -1: centred; MaxHeight 0: unlimited.
typedef int(FARAPI* FARAPIMENU)(int PluginNumber, int X, int Y, int MaxHeight, DWORD Flags,
                                const char* Title, const char* Bottom, const char* HelpTopic,
                                const int* BreakKeys, int* BreakCode, const FarMenuItem* Item,
                                int ItemsNumber);
typedef int(FARAPI* FARAPIDIALOG)(int PluginNumber, int X1, int Y1, int X2, int Y2,
                                  const char* HelpTopic, FarDialogItem* Item, int ItemsNumber);
// Items: the title, the body lines, then the button labels.
typedef int(FARAPI* FARAPIMESSAGE)(int PluginNumber, DWORD Flags, const char* HelpTopic,
                                   const char* const* Items, int ItemsNumber, int ButtonsNumber);
typedef const char*(FARAPI* FARAPIGETMSG)(int PluginNumber, int MsgId);
// hPlugin INVALID_HANDLE_VALUE: the active panel.
typedef int(FARAPI* FARAPICONTROL)(HANDLE hPlugin, int Command, void* Param);
// X2 or Y2 = -1: the right or bottom edge.
typedef HANDLE(FARAPI* FARAPISAVESCREEN)(int X1, int Y1, int X2, int Y2);
typedef void(FARAPI* FARAPIRESTORESCREEN)(HANDLE hScreen);
typedef int(FARAPI* FARAPIGETDIRLIST)(const char* Dir, PluginPanelItem** pPanelItem,
                                      int* pItemsNumber);
typedef int(FARAPI* FARAPIGETPLUGINDIRLIST)(int PluginNumber, HANDLE hPlugin, const char* Dir,
                                            PluginPanelItem** pPanelItem, int* pItemsNumber);
typedef void(FARAPI* FARAPIFREEDIRLIST)(const PluginPanelItem* PanelItem);
typedef int(FARAPI* FARAPIVIEWER)(const char* FileName, const char* Title, int X1, int Y1, int X2,
                                  int Y2, DWORD Flags);
typedef int(FARAPI* FARAPIEDITOR)(const char* FileName, const char* Title, int X1, int Y1, int X2,
                                  int Y2, DWORD Flags, int StartLine, int StartChar);
typedef int(FARAPI* FARAPICMPNAME)(const char* Pattern, const char* String, int SkipPath);
typedef int(FARAPI* FARAPICHARTABLE)(int Command, char* Buffer, int BufferSize);
// Str NULL: flush what was drawn to the screen.
typedef void(FARAPI* FARAPITEXT)(int X, int Y, int Color, const char* Str);
typedef int(FARAPI* FARAPIEDITORCONTROL)(int Command, void* Param);
typedef BOOL(FARAPI* FARAPISHOWHELP)(const char* ModuleName, const char* Topic, DWORD Flags);
typedef INT_PTR(FARAPI* FARAPIADVCONTROL)(int ModuleNumber, int Command, void* Param);
typedef int(FARAPI* FARAPIINPUTBOX)(const char* Title, const char* SubTitle,
                                    const char* HistoryName, const char* SrcText, char* DestText,
                                    int DestLength, const char* HelpTopic, DWORD Flags);
// X1 = Y1 = -1: centred, with X2, Y2 the width and height. Param arrives with DN_INITDIALOG.
typedef int(FARAPI* FARAPIDIALOGEX)(int PluginNumber, int X1, int Y1, int X2, int Y2,
                                    const char* HelpTopic, FarDialogItem* Item, int ItemsNumber,
                                    DWORD Reserved, DWORD Flags, FARWINDOWPROC DlgProc,
                                    LONG_PTR Param);
typedef LONG_PTR(FARAPI* FARAPISENDDLGMESSAGE)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
typedef LONG_PTR(FARAPI* FARAPIDEFDLGPROC)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
typedef int(FARAPI* FARAPIVIEWERCONTROL)(int Command, void* Param);

FAR_PACK_BEGIN

struct PluginStartupInfo {
    int StructSize;  // the host's sizeof(PluginStartupInfo); older hosts pass less
    char ModuleName[FAR_MAX_PATH];  // full path of the plug-in module
    int ModuleNumber;
    const char* RootKey;  // the plug-ins' registry key; a plug-in creates its own subkey below it
    FARAPIMENU Menu;
    FARAPIDIALOG Dialog;
    FARAPIMESSAGE Message;
    FARAPIGETMSG GetMsg;
    FARAPICONTROL Control;
    FARAPISAVESCREEN SaveScreen;
    FARAPIRESTORESCREEN RestoreScreen;
    FARAPIGETDIRLIST GetDirList;
    FARAPIGETPLUGINDIRLIST GetPluginDirList;
    FARAPIFREEDIRLIST FreeDirList;
    FARAPIVIEWER Viewer;
    FARAPIEDITOR Editor;
    FARAPICMPNAME CmpName;
    FARAPICHARTABLE CharTable;
    FARAPITEXT Text;
    FARAPIEDITORCONTROL EditorControl;
    FarStandardFunctions* FSF;
    FARAPISHOWHELP ShowHelp;
    FARAPIADVCONTROL AdvControl;
    FARAPIINPUTBOX InputBox;
    FARAPIDIALOGEX DialogEx;
    FARAPISENDDLGMESSAGE SendDlgMessage;
    FARAPIDEFDLGPROC DefDlgProc;
    DWORD_PTR Reserved;
    FARAPIVIEWERCONTROL ViewerControl;
};

struct PluginInfo {
    int StructSize;
    DWORD Flags;  // PF_*
    const char* const* DiskMenuStrings;
    const int* DiskMenuNumbers;  // hot-key digits for the disk menu entries
    int DiskMenuStringsNumber;
    const char* const* PluginMenuStrings;
    int PluginMenuStringsNumber;
    const char* const* PluginConfigStrings;
    int PluginConfigStringsNumber;
    const char* CommandPrefix;  // without ':'; several prefixes are separated by ':'
    DWORD Reserved;
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(PluginStartupInfo) == 372);
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 264);
static_assert(offsetof(PluginStartupInfo, RootKey) == 268);
static_assert(offsetof(PluginStartupInfo, Menu) == 272);
static_assert(offsetof(PluginStartupInfo, Text) == 328);
static_assert(offsetof(PluginStartupInfo, FSF) == 336);
static_assert(offsetof(PluginStartupInfo, AdvControl) == 344);
static_assert(offsetof(PluginStartupInfo, DialogEx) == 352);
static_assert(offsetof(PluginStartupInfo, SendDlgMessage) == 356);
static_assert(offsetof(PluginStartupInfo, Reserved) == 364);
static_assert(offsetof(PluginStartupInfo, ViewerControl) == 368);
static_assert(sizeof(PluginInfo) == 44);
static_assert(offsetof(PluginInfo, CommandPrefix) == 36);
#endif
