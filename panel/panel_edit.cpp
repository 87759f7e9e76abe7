// Creating directories and deleting nodes.
#include "panel/panel_dialogs.h"
#include "panel/panel_entries.h"
#include "panel/panel_items.h"
#include "panel/panel_messages.h"

namespace skimmer::panel {

namespace {

bool ours(const TPanel& panel, HANDLE hPlugin) {
    return panel.PanelInstance && hPlugin == static_cast<HANDLE>(panel.PanelInstance.get());
}

void setTimes(TFiles& node, uint64_t now) { node.Item.Created = node.Item.Accessed = node.Item.Modified = now; }

}  // namespace

int MakeDirectory(TPanel& panel, HANDLE hPlugin, char* name, int) {
    if (!ours(panel, hPlugin)) return -1;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    TFiles blank;
    std::unique_ptr<TFiles> edited = DirectoryDialog(panel, blank);
    int result = -1;
    while (!edited->Name.empty()) {
        if (UsableNodeName(edited->Name) && !FindByName(panel.PanelInstance->Current, edited->Name)) {
            setTimes(*edited, panel.now());
            AppendNode(panel.tree, *panel.PanelInstance, *edited);
            RememberPosition(panel);
            SaveTree(panel);
            result = 1;
            break;
        }
        platform::ShowErrorText(*panel.env.host, Msg(panel, kMsgNameTaken));
        edited = DirectoryDialog(panel, *edited);
    }
    if (name) CopyName(name, FAR_MAX_PATH, result == 1 ? edited->Name : std::string());
    return result;
}

int DeleteFiles(TPanel& panel, HANDLE hPlugin, PluginPanelItem* items, int count, int opMode) {
    if (!ours(panel, hPlugin) || !items || count <= 0) return FALSE;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    if (!(opMode & OPM_SILENT)) {
        const std::string what = count == 1 ? std::string(items[0].FindData.cFileName)
                                            : std::to_string(count) + " " + Msg(panel, kMsgItems);
        const int answer = AskMessage(panel, 0,
                                      {Msg(panel, kMsgDeleteTitle), Msg(panel, kMsgDeleteQuestion), what,
                                       Msg(panel, kMsgDeleteButton), Msg(panel, kMsgDeleteCancel)},
                                      2);
        if (answer != 0) return FALSE;
    }
    // A node goes with its whole subtree; a hit only leaves its folder's list (its file stays).
    for (int i = 0; i < count; ++i) {
        TFiles* node = NodeOfItem(panel, items[i]);
        if (!node) continue;
        TFiles* head = panel.PanelInstance->Current;
        RemoveNode(panel.tree, head, node);
        SyncInstance(panel);
    }
    RememberPosition(panel);
    UpdateAndRedraw(panel);
    SaveTree(panel);
    return TRUE;
}

}  // namespace skimmer::panel
