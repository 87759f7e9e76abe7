// The dialog, menu and message services of FAR's PluginStartupInfo, with FAR's exact signatures,
// for the application to put into the table it hands to plug-ins.
//
// Contract:
// - They work on the UiContext installed with `installUiContext` (one per process: FAR's service
//   table carries no context). Without one, or when a modal service is called from a thread other
//   than the UI thread, they do nothing and return -1 (FALSE / 0 for the message functions).
// - No exception leaves them: an internal failure ends the call with the cancel answer (-1 or 0).
// - SendDlgMessage may be called from any thread; it is serialised with the dialog procedure by
//   the UI lock, and a handle that is not a live dialog (closed, never opened) gets 0.
// - DefDlgProc gives FAR's default answers; it changes nothing in the dialog.
#pragma once

#include "far/plugin.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::ui {

// Makes `context` (or none, with nullptr) the one the services below use. Call on the UI thread
// before any plug-in is loaded, and uninstall before the context dies.
void installUiContext(UiContext* context);

int FARAPI DialogEx(int PluginNumber, int X1, int Y1, int X2, int Y2, const char* HelpTopic, FarDialogItem* Item,
                    int ItemsNumber, DWORD Reserved, DWORD Flags, FARWINDOWPROC DlgProc, LONG_PTR Param);
int FARAPI Dialog(int PluginNumber, int X1, int Y1, int X2, int Y2, const char* HelpTopic, FarDialogItem* Item,
                  int ItemsNumber);
LONG_PTR FARAPI SendDlgMessage(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
LONG_PTR FARAPI DefDlgProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
int FARAPI Menu(int PluginNumber, int X, int Y, int MaxHeight, DWORD Flags, const char* Title, const char* Bottom,
                const char* HelpTopic, const int* BreakKeys, int* BreakCode, const FarMenuItem* Item, int ItemsNumber);
int FARAPI Message(int PluginNumber, DWORD Flags, const char* HelpTopic, const char* const* Items, int ItemsNumber,
                   int ButtonsNumber);
// FAR's ShowHelp: FHELP_SELFHELP looks beside the module ModuleName names, FHELP_CUSTOMFILE in that
// .hlf file, FHELP_CUSTOMPATH in that folder; FHELP_FARHELP asks for FAR's own help, which this
// host does not have. A null Topic is "Contents". TRUE when the topic was shown.
BOOL FARAPI ShowHelp(const char* ModuleName, const char* Topic, DWORD Flags);

// The signatures are the table's, checked here so that a change on either side fails to compile.
static_assert(std::is_same_v<decltype(&DialogEx), FARAPIDIALOGEX>);
static_assert(std::is_same_v<decltype(&Dialog), FARAPIDIALOG>);
static_assert(std::is_same_v<decltype(&SendDlgMessage), FARAPISENDDLGMESSAGE>);
static_assert(std::is_same_v<decltype(&DefDlgProc), FARAPIDEFDLGPROC>);
static_assert(std::is_same_v<decltype(&Menu), FARAPIMENU>);
static_assert(std::is_same_v<decltype(&Message), FARAPIMESSAGE>);
static_assert(std::is_same_v<decltype(&ShowHelp), FARAPISHOWHELP>);

}  // namespace skimmer::host::ui
