// The PluginStartupInfo slots that need nothing of the application: CmpName (FAR's mask match,
// through ProcessName) and the ones this host has no counterpart for, which answer as FAR does when
// a request fails (GetDirList FALSE with nothing allocated, CharTable -1, EditorControl and
// ViewerControl 0: there is no internal editor or viewer), never by pretending success.
//
// Contract: no exception leaves any of them; null parameters give the failure answer.
#pragma once

#include "far/plugin.h"

namespace skimmer::host::services {

int FARAPI CmpName(const char* Pattern, const char* String, int SkipPath);
int FARAPI GetDirList(const char* Dir, PluginPanelItem** pPanelItem, int* pItemsNumber);
int FARAPI GetPluginDirList(int PluginNumber, HANDLE hPlugin, const char* Dir, PluginPanelItem** pPanelItem,
                            int* pItemsNumber);
void FARAPI FreeDirList(const PluginPanelItem* PanelItem);
int FARAPI CharTable(int Command, char* Buffer, int BufferSize);
int FARAPI EditorControl(int Command, void* Param);
int FARAPI ViewerControl(int Command, void* Param);

}  // namespace skimmer::host::services
