// The search-folder panel's entry points as functions of its state, called by the module's
// exported functions (plugin/exports.cpp) with the handle FAR passes, and by tests as FAR would.
//
// Contract: each returns what FAR expects of the entry point; a handle that is not this panel's
// instance is refused (FALSE, -1 or nothing). These functions may throw (allocation); the
// exported wrappers catch everything.
#pragma once

#include "far/panel.h"
#include "panel/panel_state.h"

namespace skimmer::panel {

// OpenPlugin from the drive menu: the one instance, at the saved position when there is one.
HANDLE OpenPanel(TPanel& panel);
// ExitFAR: frees the instance and every item array.
void ClosePanelInstance(TPanel& panel);

void GetOpenPluginInfo(TPanel& panel, HANDLE hPlugin, OpenPluginInfo& info);
int GetFindData(TPanel& panel, HANDLE hPlugin, PluginPanelItem** items, int* count, int opMode);
void FreeFindData(TPanel& panel, HANDLE hPlugin, PluginPanelItem* items, int count);
int SetDirectory(TPanel& panel, HANDLE hPlugin, const char* dir, int opMode);
int ProcessEvent(TPanel& panel, HANDLE hPlugin, int event, void* param);
int GetFiles(TPanel& panel, HANDLE hPlugin, PluginPanelItem* items, int count, int move, char* destPath, int opMode);
int PutFiles(TPanel& panel, HANDLE hPlugin, PluginPanelItem* items, int count, int move, int opMode);
int DeleteFiles(TPanel& panel, HANDLE hPlugin, PluginPanelItem* items, int count, int opMode);
int MakeDirectory(TPanel& panel, HANDLE hPlugin, char* name, int opMode);
int ProcessKey(TPanel& panel, HANDLE hPlugin, int key, unsigned int controlState);

// Runs the search folder `folder` (a child of the shown level) and makes its hits the shown level.
void EnterSearchFolder(TPanel& panel, TFiles& folder);

}  // namespace skimmer::panel
