// The entry points a FAR 1.70 plug-in module exports, as one list that both sides share.
//
// Contract: the plug-in defines the ones it needs with exactly these declarations (FAR_EXPORT,
// FARAPI, plain C names); the host looks each one up by name and treats a missing one as "not
// supported". `SKIMMER_FAR_ENTRY_POINTS(X)` lists every name once, and `<Name>Fn` is the pointer
// type of each, so the host's table of looked-up entry points cannot drift from the declarations.
// OpenPlugin's Item is pointer-sized because with OPEN_SHORTCUT and OPEN_COMMANDLINE it carries a
// string (FAR 1.70's int on 32-bit Windows). No exception may leave any of them.
#pragma once

#include "far/calling.h"
#include "far/plugin.h"
#include "far/win_types.h"

FAR_EXPORT void FARAPI SetStartupInfo(const PluginStartupInfo* Info);
FAR_EXPORT void FARAPI GetPluginInfo(PluginInfo* Info);
FAR_EXPORT HANDLE FARAPI OpenPlugin(int OpenFrom, INT_PTR Item);
FAR_EXPORT HANDLE FARAPI OpenFilePlugin(char* Name, const unsigned char* Data, int DataSize);
FAR_EXPORT void FARAPI ClosePlugin(HANDLE hPlugin);
FAR_EXPORT void FARAPI GetOpenPluginInfo(HANDLE hPlugin, OpenPluginInfo* Info);
FAR_EXPORT int FARAPI GetFindData(HANDLE hPlugin, PluginPanelItem** pPanelItem, int* pItemsNumber,
                                  int OpMode);
FAR_EXPORT void FARAPI FreeFindData(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber);
FAR_EXPORT int FARAPI SetDirectory(HANDLE hPlugin, const char* Dir, int OpMode);
FAR_EXPORT int FARAPI ProcessKey(HANDLE hPlugin, int Key, unsigned int ControlState);
FAR_EXPORT int FARAPI ProcessEvent(HANDLE hPlugin, int Event, void* Param);
// -1, 0, 1; or -2 for "compare as the host would".
FAR_EXPORT int FARAPI Compare(HANDLE hPlugin, const PluginPanelItem* Item1,
                              const PluginPanelItem* Item2, unsigned int Mode);
FAR_EXPORT int FARAPI Configure(int ItemNumber);
// DestPath is a FAR_MAX_PATH buffer the plug-in may rewrite.
FAR_EXPORT int FARAPI GetFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber,
                               int Move, char* DestPath, int OpMode);
FAR_EXPORT int FARAPI PutFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber,
                               int Move, int OpMode);
FAR_EXPORT int FARAPI DeleteFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber,
                                  int OpMode);
// Name is a FAR_MAX_PATH buffer the plug-in may rewrite.
FAR_EXPORT int FARAPI MakeDirectory(HANDLE hPlugin, char* Name, int OpMode);
FAR_EXPORT int FARAPI ProcessHostFile(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber,
                                      int OpMode);
FAR_EXPORT int FARAPI SetFindList(HANDLE hPlugin, const PluginPanelItem* PanelItem,
                                  int ItemsNumber);
FAR_EXPORT int FARAPI GetVirtualFindData(HANDLE hPlugin, PluginPanelItem** pPanelItem,
                                         int* pItemsNumber, const char* Path);
FAR_EXPORT void FARAPI FreeVirtualFindData(HANDLE hPlugin, PluginPanelItem* PanelItem,
                                           int ItemsNumber);
FAR_EXPORT int FARAPI ProcessEditorEvent(int Event, void* Param);
FAR_EXPORT int FARAPI ProcessEditorInput(const INPUT_RECORD* Rec);
FAR_EXPORT int FARAPI ProcessViewerEvent(int Event, void* Param);
FAR_EXPORT void FARAPI ExitFAR();
// MAKEFARVERSION of the oldest host the plug-in runs on.
FAR_EXPORT int FARAPI GetMinFarVersion();

#define SKIMMER_FAR_ENTRY_POINTS(X) \
    X(SetStartupInfo)               \
    X(GetPluginInfo)                \
    X(OpenPlugin)                   \
    X(OpenFilePlugin)               \
    X(ClosePlugin)                  \
    X(GetOpenPluginInfo)            \
    X(GetFindData)                  \
    X(FreeFindData)                 \
    X(SetDirectory)                 \
    X(ProcessKey)                   \
    X(ProcessEvent)                 \
    X(Compare)                      \
    X(Configure)                    \
    X(GetFiles)                     \
    X(PutFiles)                     \
    X(DeleteFiles)                  \
    X(MakeDirectory)                \
    X(ProcessHostFile)              \
    X(SetFindList)                  \
    X(GetVirtualFindData)           \
    X(FreeVirtualFindData)          \
    X(ProcessEditorEvent)           \
    X(ProcessEditorInput)           \
    X(ProcessViewerEvent)           \
    X(ExitFAR)                      \
    X(GetMinFarVersion)

namespace skimmer::farapi {
#define SKIMMER_FAR_ENTRY_POINT_TYPE(name) using name##Fn = decltype(&name);
SKIMMER_FAR_ENTRY_POINTS(SKIMMER_FAR_ENTRY_POINT_TYPE)
#undef SKIMMER_FAR_ENTRY_POINT_TYPE
}  // namespace skimmer::farapi
