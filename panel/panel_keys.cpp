// The panel's own keys: Enter runs a search folder or goes to a hit, Shift+F4 creates a search
// folder, F4 edits the node under the cursor, Ctrl+F puts a hit's path on the command line.
#include "far/vk.h"
#include "os/path_syntax.h"
#include "panel/panel_dialogs.h"
#include "panel/panel_entries.h"
#include "panel/panel_messages.h"
#include "search/open_hit.h"

namespace skimmer::panel {

namespace {

constexpr int kKeyF = 70;
constexpr size_t kCommandLineBytes = 2048;

// The node under FAR's cursor: the item's own node when FAR hands it back, else the first node of
// the shown level with that name; none for "..", the placeholder, or nothing.
TFiles* NodeUnderCursor(TPanel& panel) {
    PanelInfo info{};
    const PluginStartupInfo& host = panel.env.host->StartupInfo;
    if (!host.Control || !host.Control(panel.hPlugin, FCTL_GETPANELINFO, &info)) return nullptr;
    if (!info.PanelItems || info.CurrentItem < 0 || info.CurrentItem >= info.ItemsNumber) return nullptr;
    const PluginPanelItem& item = info.PanelItems[info.CurrentItem];
    const std::string name = item.FindData.cFileName;
    if (name == "..") return nullptr;
    if (TFiles* node = NodeOfItem(panel, item)) return node;
    return FindNode(panel.PanelInstance->Current, name);
}

search::HitServices hitServices(const TPanel& panel) {
    return {.context = &panel.env, .mail = panel.mail()};
}

void setTimes(TFiles& node, uint64_t now) { node.Item.Created = node.Item.Accessed = node.Item.Modified = now; }

bool ctrlF(TPanel& panel) {
    TFiles* node = NodeUnderCursor(panel);
    if (!node) return true;
    const PluginStartupInfo& host = panel.env.host->StartupInfo;
    std::string line(kCommandLineBytes, '\0');
    if (host.Control) host.Control(panel.hPlugin, FCTL_GETCMDLINE, line.data());
    line.resize(line.find('\0'));
    // Quoted for the command interpreter, so that running the line runs this file (or hands it to
    // the command already there) and nothing else; a path it cannot carry is refused.
    if (node->Result && !node->Result->Path.empty()) {
        std::string error;
        const std::optional<std::string> word = line.empty() ? search::commandLineFor(node->Result->Path, error)
                                                             : search::commandLineArgumentFor(node->Result->Path, error);
        if (!word) {
            platform::ShowErrorText(*panel.env.host, error);
            return true;
        }
        if (!line.empty()) line += " ";
        line += *word;
    } else if (!line.empty()) {
        line += " ";
    }
    if (host.Control) host.Control(panel.hPlugin, FCTL_SETCMDLINE, line.data());
    return true;
}

bool enter(TPanel& panel) {
    TFiles* node = NodeUnderCursor(panel);
    if (!node) return panel.SearchBusy;
    if (node->Type == kTypeHit && node->Result) {
        const results::TSearchResult& hit = *node->Result;
        if (hit.Url.starts_with("mapi://")) search::OpenHit(hitServices(panel), hit);
        else {
            // A locate hit's Title is already its whole path; an index hit's is the name in Folder.
            const std::string& title = hit.Title;
            search::GoToFile(hitServices(panel), os::isAbsolutePathWithName(title) ? title : hit.Folder + title);
        }
        return true;
    }
    if (IsSearchFolderKind(node->Type)) {
        EnterSearchFolder(panel, *node);
        return true;
    }
    return panel.SearchBusy;
}

bool newSearchFolder(TPanel& panel) {
    TFiles blank;
    std::unique_ptr<TFiles> edited = SearchFolderDialog(panel, blank);
    while (!edited->Name.empty()) {
        if (UsableNodeName(edited->Name) && !FindByName(panel.PanelInstance->Current, edited->Name)) {
            setTimes(*edited, panel.now());
            AppendNode(panel.tree, *panel.PanelInstance, *edited);
            RememberPosition(panel);
            SaveTree(panel);
            UpdateAndRedrawOn(panel, edited->Name);
            return true;
        }
        platform::ShowErrorText(*panel.env.host, Msg(panel, kMsgNameTaken));
        edited = SearchFolderDialog(panel, *edited);
    }
    return true;
}

bool edit(TPanel& panel) {
    TFiles* node = NodeUnderCursor(panel);
    if (!node) return true;
    std::unique_ptr<TFiles> edited = CopyNode(*node);
    for (;;) {
        edited = (edited->Type == kTypeDirectory || edited->Type == kTypeSessionDirectory)
                     ? DirectoryDialog(panel, *edited)
                     : SearchFolderDialog(panel, *edited);
        if (edited->Name.empty()) return true;
        if (UsableNodeName(edited->Name) && !NameTakenByOther(panel.PanelInstance->Current, node, edited->Name)) break;
        platform::ShowErrorText(*panel.env.host, Msg(panel, kMsgNameTaken));
    }
    UpdateNode(*node, *edited, panel.now());
    SaveTree(panel);
    UpdateAndRedrawOn(panel, node->Name);
    return true;
}

}  // namespace

int ProcessKey(TPanel& panel, HANDLE hPlugin, int key, unsigned int controlState) {
    if (!panel.PanelInstance || hPlugin != static_cast<HANDLE>(panel.PanelInstance.get())) return FALSE;
    if (key & PKF_PREPROCESS) return FALSE;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    if (key == kKeyF && controlState == PKF_CONTROL) return ctrlF(panel);
    if (key == VK_RETURN) return enter(panel);
    if (key == VK_F4) return (controlState & PKF_SHIFT) ? newSearchFolder(panel) : edit(panel);
    return panel.SearchBusy;
}

}  // namespace skimmer::panel
