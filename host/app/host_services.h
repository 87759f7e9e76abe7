// The PluginStartupInfo slots that need the application's objects, with FAR's signatures: the
// panel and command line (Control), drawing (Text, SaveScreen, RestoreScreen), language strings
// (GetMsg), AdvControl (answered by services/adv_control.h), the viewer and editor, and InputBox.
// They work on the installed HostContext (host_context.h). The slots that need nothing of the
// application are the services layer's (services/plain_services.h, standard_functions.h).
//
// Contract: no exception leaves any of them; bad or null parameters give FAR's failure answer.
#pragma once

#include "far/plugin.h"

namespace skimmer::host::app {

int FARAPI Control(HANDLE hPlugin, int Command, void* Param);
void FARAPI Text(int X, int Y, int Color, const char* Str);
HANDLE FARAPI SaveScreen(int X1, int Y1, int X2, int Y2);
void FARAPI RestoreScreen(HANDLE hScreen);
const char* FARAPI GetMsg(int PluginNumber, int MsgId);
INT_PTR FARAPI AdvControl(int ModuleNumber, int Command, void* Param);
int FARAPI Viewer(const char* FileName, const char* Title, int X1, int Y1, int X2, int Y2, DWORD Flags);
int FARAPI Editor(const char* FileName, const char* Title, int X1, int Y1, int X2, int Y2, DWORD Flags,
                  int StartLine, int StartChar);
int FARAPI InputBox(const char* Title, const char* SubTitle, const char* HistoryName, const char* SrcText,
                    char* DestText, int DestLength, const char* HelpTopic, DWORD Flags);

// The whole table for plug-in number `moduleNumber` loaded from `modulePath`; `fsf` must outlive it.
PluginStartupInfo makeStartupInfo(int moduleNumber, const char* modulePath, FarStandardFunctions* fsf);

}  // namespace skimmer::host::app
