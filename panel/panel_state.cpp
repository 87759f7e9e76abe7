#include "panel/panel_state.h"

#include <unordered_set>

#include "far/messages.h"
#include "panel/folder_store.h"

namespace skimmer::panel {

namespace {

bool inTree(const TFiles* head, const TFiles* wanted) {
    for (const TFiles* n = head; n; n = n->Next.get())
        if (n == wanted || inTree(n->Children.get(), wanted)) return true;
    return false;
}

}  // namespace

TFiles* ShownLevel(const TPanel& panel) {
    const TFiles* parent = panel.PanelInstance ? panel.PanelInstance->Parent : nullptr;
    return parent ? parent->Children.get() : panel.tree.PanelRoot.get();
}

void SyncInstance(TPanel& panel) {
    if (!panel.PanelInstance) return;
    TPanelInstance& at = *panel.PanelInstance;
    if (at.Parent && !inTree(panel.tree.PanelRoot.get(), at.Parent)) at.Parent = nullptr;
    at.Current = ShownLevel(panel);
    if (!at.Parent) at.Back = nullptr;
}

void RememberPosition(TPanel& panel) {
    if (panel.PanelInstance) panel.PanelSavedPosition = *panel.PanelInstance;
}

bool SaveTree(TPanel& panel) {
    const platform::RegistryCommit saved = SaveFolderTree(panel.tree, panel.env.registry, panel.env.PluginsRootKey);
    if (saved.ok) return true;
    platform::ShowNoticeText(*panel.env.host, saved.error);
    return false;
}

void UpdateAndRedraw(const TPanel& panel) {
    const PluginStartupInfo& info = panel.env.host->StartupInfo;
    if (!info.Control) return;
    info.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
    info.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
}

void UpdateAndRedrawOn(const TPanel& panel, const std::string& name) {
    const PluginStartupInfo& info = panel.env.host->StartupInfo;
    if (!info.Control) return;
    info.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
    PanelInfo shown{};
    int index = -1;
    if (info.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &shown) && shown.PanelItems)
        for (int i = 0; i < shown.ItemsNumber && index < 0; ++i)
            if (name == shown.PanelItems[i].FindData.cFileName) index = i;
    if (index < 0) index = ListedIndex(panel, name);
    if (index < 0) {
        info.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
        return;
    }
    PanelRedrawInfo redraw{.CurrentItem = index, .TopPanelItem = shown.TopPanelItem};
    info.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &redraw);
}

TFiles* NodeOfItem(const TPanel& panel, const PluginPanelItem& item) {
    if (!(item.Flags & kPanelItemMark) || item.UserData == 0) return nullptr;
    auto* node = reinterpret_cast<const TFiles*>(item.UserData);
    // Only an address that is a node of the tree now is followed.
    return inTree(panel.tree.PanelRoot.get(), node) ? const_cast<TFiles*>(node) : nullptr;
}

std::string Msg(const TPanel& panel, int number) { return platform::GetMsgStr(*panel.env.host, number); }

int AskMessage(const TPanel& panel, DWORD flags, const std::vector<std::string>& lines, int buttons) {
    const PluginStartupInfo& info = panel.env.host->StartupInfo;
    if (!info.Message) return -1;
    std::vector<const char*> items;
    for (const std::string& line : lines) items.push_back(line.c_str());
    return info.Message(info.ModuleNumber, flags, nullptr, items.data(), static_cast<int>(items.size()), buttons);
}

}  // namespace skimmer::panel
