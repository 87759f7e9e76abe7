#include "host/services/plain_services.h"

#include <cstring>

#include "host/services/standard_functions.h"

namespace skimmer::host::services {

int FARAPI CmpName(const char* Pattern, const char* String, int SkipPath) {
    if (Pattern == nullptr || String == nullptr) return FALSE;
    char name[FAR_MAX_PATH];
    std::strncpy(name, String, sizeof name - 1);
    name[sizeof name - 1] = '\0';
    return ProcessName(Pattern, name, PN_CMPNAME | (SkipPath ? PN_SKIPPATH : 0));
}

// Directory lists for plug-ins are not offered by this host yet: FALSE, nothing allocated.
int FARAPI GetDirList(const char*, PluginPanelItem** pPanelItem, int* pItemsNumber) {
    if (pPanelItem) *pPanelItem = nullptr;
    if (pItemsNumber) *pItemsNumber = 0;
    return FALSE;
}

int FARAPI GetPluginDirList(int, HANDLE, const char* Dir, PluginPanelItem** pPanelItem, int* pItemsNumber) {
    return GetDirList(Dir, pPanelItem, pItemsNumber);
}

void FARAPI FreeDirList(const PluginPanelItem*) {}

// Text is UTF-8 everywhere here: there are no character tables to enumerate.
int FARAPI CharTable(int, char*, int) { return -1; }

// There is no internal editor or viewer (the user's own programs run instead).
int FARAPI EditorControl(int, void*) { return 0; }
int FARAPI ViewerControl(int, void*) { return 0; }

}  // namespace skimmer::host::services
