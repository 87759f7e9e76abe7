// Browsing the tree: the panel's description, its items, moving between levels.
#include <cstring>

#include "panel/folder_store.h"
#include "panel/panel_entries.h"
#include "panel/panel_items.h"
#include "panel/panel_messages.h"

namespace skimmer::panel {

namespace {

constexpr const char* kProductName = "Skimmer";
constexpr char kSpinner[4] = {'-', '\\', '|', '/'};

bool ours(const TPanel& panel, HANDLE hPlugin) {
    return panel.PanelInstance && hPlugin == static_cast<HANDLE>(panel.PanelInstance.get());
}

// "\" + the names from the top level down to the shown level's owner.
std::string shownPath(const TPanel& panel) {
    const TFiles* parent = panel.PanelInstance->Parent;
    if (!parent) return "\\";
    const std::string above = FolderPath(panel.tree, parent);
    return "\\" + (above.empty() ? parent->Name : above + "\\" + parent->Name);
}

}  // namespace

HANDLE OpenPanel(TPanel& panel) {
    panel.SearchBusy = false;
    if (!panel.PanelInstance) panel.PanelInstance = std::make_unique<TPanelInstance>();
    if (panel.PanelSavedPosition.Parent) *panel.PanelInstance = panel.PanelSavedPosition;
    SyncInstance(panel);
    RememberPosition(panel);
    return static_cast<HANDLE>(panel.PanelInstance.get());
}

void ClosePanelInstance(TPanel& panel) {
    panel.itemBlocks.clear();
    panel.PanelInstance.reset();
    panel.PanelSavedPosition = {};
}

void GetOpenPluginInfo(TPanel& panel, HANDLE hPlugin, OpenPluginInfo& info) {
    if (!ours(panel, hPlugin)) return;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    info.StructSize = sizeof(OpenPluginInfo);
    info.Flags = OPIF_USEHIGHLIGHTING;
    if (panel.SearchInProgress) {
        panel.CurDirText = "SKS: " + std::to_string(panel.HitCounter) + " " + kSpinner[panel.SpinnerPhase];
        panel.SpinnerPhase = (panel.SpinnerPhase + 1) % 4;
        panel.PanelTitleText = panel.CurDirText;
    } else if (!panel.PanelInstance->Parent) {
        panel.CurDirText = "\\";
        panel.PanelTitleText = kProductName;
    } else {
        panel.CurDirText = shownPath(panel);
        panel.PanelTitleText = "SKV: " + panel.CurDirText;
    }
    info.CurDir = panel.CurDirText.c_str();
    info.PanelTitle = panel.PanelTitleText.c_str();
}

int GetFindData(TPanel& panel, HANDLE hPlugin, PluginPanelItem** items, int* count, int) {
    if (!ours(panel, hPlugin) || !items || !count) return FALSE;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    auto block = std::make_unique<TItemBlock>();
    if (panel.PanelInstance->Parent) block->items.push_back(UpItem());
    const TFiles* level = panel.PanelInstance->Current;
    if (!level) {
        if (!panel.PanelInstance->Parent || !IsSearchFolderKind(panel.PanelInstance->Parent->Type))
            block->items.push_back(PlaceholderItem(Msg(panel, kMsgEmptyLevel)));
    }
    const size_t first = block->items.size();
    for (const TFiles* n = level; n; n = n->Next.get())
        if (!n->Name.empty()) block->items.push_back(MakePanelItem(*n, *block));
    for (size_t i = first; i < block->items.size(); ++i)
        block->items[i].Description = block->descriptions[i - first].data();
    *count = static_cast<int>(block->items.size());
    *items = block->items.empty() ? nullptr : block->items.data();
    if (*items) panel.itemBlocks[*items] = std::move(block);
    return TRUE;
}

int ListedIndex(const TPanel& panel, const std::string& name) {
    if (!panel.PanelInstance) return -1;
    // Counted as GetFindData lists: ".." first below the top level, then the named nodes in order.
    int index = panel.PanelInstance->Parent ? 1 : 0;
    for (const TFiles* n = ShownLevel(panel); n; n = n->Next.get()) {
        if (n->Name.empty()) continue;
        if (n->Name == name) return index;
        ++index;
    }
    return -1;
}

void FreeFindData(TPanel& panel, HANDLE, PluginPanelItem* items, int) { panel.itemBlocks.erase(items); }

int SetDirectory(TPanel& panel, HANDLE hPlugin, const char* dir, int) {
    if (!ours(panel, hPlugin) || !dir) return FALSE;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    TPanelInstance& at = *panel.PanelInstance;
    const std::string_view name(dir);
    if (name == "..") {
        if (!at.Parent) {
            const PluginStartupInfo& info = panel.env.host->StartupInfo;
            if (info.Control) info.Control(hPlugin, FCTL_CLOSEPLUGIN, nullptr);
            return TRUE;
        }
        at.Parent = FindParent(panel.tree, at.Parent);
    } else if (name == "\\") {
        at.Parent = nullptr;
    } else if (TFiles* node = FindNode(at.Current, name)) {
        if (!node->Children) at.Back = at.Current;
        at.Parent = node;
    }
    SyncInstance(panel);
    RememberPosition(panel);
    return TRUE;
}

int ProcessEvent(TPanel&, HANDLE, int, void*) { return FALSE; }

}  // namespace skimmer::panel
