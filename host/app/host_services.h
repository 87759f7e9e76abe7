// The PluginStartupInfo services that the application answers itself, with FAR's signatures:
// the panel and command line (Control), drawing (Text, SaveScreen, RestoreScreen), language
// strings (GetMsg), AdvControl beyond the services layer's commands, and the viewer, editor and
// small services. They work on the installed HostContext (host_context.h).
//
// Contract: no exception leaves any of them; bad or null parameters give FAR's failure answer.
// Services FAR offers that this host has no counterpart for answer as FAR does when a request
// fails (GetDirList FALSE, CharTable -1, EditorControl/ViewerControl 0: there is no internal
// editor or viewer), never by pretending success.
#pragma once

#include "far/plugin.h"

namespace skimmer::host::app {

int FARAPI Control(HANDLE hPlugin, int Command, void* Param);
void FARAPI Text(int X, int Y, int Color, const char* Str);
HANDLE FARAPI SaveScreen(int X1, int Y1, int X2, int Y2);
void FARAPI RestoreScreen(HANDLE hScreen);
const char* FARAPI GetMsg(int PluginNumber, int MsgId);
INT_PTR FARAPI AdvControl(int ModuleNumber, int Command, void* Param);
int FARAPI CmpName(const char* Pattern, const char* String, int SkipPath);
int FARAPI Viewer(const char* FileName, const char* Title, int X1, int Y1, int X2, int Y2, DWORD Flags);
int FARAPI Editor(const char* FileName, const char* Title, int X1, int Y1, int X2, int Y2, DWORD Flags,
                  int StartLine, int StartChar);
int FARAPI InputBox(const char* Title, const char* SubTitle, const char* HistoryName, const char* SrcText,
                    char* DestText, int DestLength, const char* HelpTopic, DWORD Flags);
int FARAPI GetDirList(const char* Dir, PluginPanelItem** pPanelItem, int* pItemsNumber);
int FARAPI GetPluginDirList(int PluginNumber, HANDLE hPlugin, const char* Dir, PluginPanelItem** pPanelItem,
                            int* pItemsNumber);
void FARAPI FreeDirList(const PluginPanelItem* PanelItem);
int FARAPI CharTable(int Command, char* Buffer, int BufferSize);
int FARAPI EditorControl(int Command, void* Param);
int FARAPI ViewerControl(int Command, void* Param);

// The whole table for plug-in number `moduleNumber` loaded from `modulePath`; `fsf` must outlive it.
PluginStartupInfo makeStartupInfo(int moduleNumber, const char* modulePath, FarStandardFunctions* fsf);

}  // namespace skimmer::host::app
