// Copying into the panel: .skvfinder files become search folders, folders become directories,
// items of this plug-in's panels are copied with their subtrees.
//
// Every node added gets a name no sibling has: a clash the user chose to keep is added beside the
// existing node as "Name (2)", so no level ever holds two nodes of one name.
#include "os/export_file.h"
#include "os/path_syntax.h"
#include "panel/folder_file.h"
#include "panel/panel_dialogs.h"
#include "panel/panel_entries.h"
#include "panel/panel_items.h"
#include "panel/panel_messages.h"

namespace skimmer::panel {

namespace {

enum Answer { kGoOn = 0, kSkip = 1, kCancel = 2 };
enum class Clash { Ask, KeepAll, SkipAll };

// One ImportCall serves a whole PutFiles, nested directories included: the clash answer and the
// cancel are the operation's, not one level's.
struct ImportCall {
    TPanel& panel;
    bool move;
    TPanelInstance level;  // where the nodes go: the shown level, or a new directory's children
    Clash clash = Clash::Ask;
    bool cancelled = false;  // Cancel ends the whole import, however deep the question was asked
};

struct Imported {
    TFiles* node = nullptr;
    int answer = kGoOn;
};

bool ours(const TPanel& panel, HANDLE hPlugin) {
    return panel.PanelInstance && hPlugin == static_cast<HANDLE>(panel.PanelInstance.get());
}

std::string title(const ImportCall& call) {
    return Msg(call.panel, call.move ? kMsgMoveTitle : kMsgCopyTitle) + " " + Msg(call.panel, kMsgSearchFolders);
}

bool yes(ImportCall& call, std::vector<std::string> lines) {
    lines.insert(lines.begin(), title(call));
    return AskMessage(call.panel, FMSG_WARNING | FMSG_MB_YESNO, lines, 0) == 0;
}

// Settles a clash with an existing node of the level; false when the node is not to be added.
bool settleClash(ImportCall& call, const std::string& name, int& answer) {
    if (!FindByName(call.level.Current, name) || call.clash == Clash::KeepAll) return true;
    answer = kSkip;
    if (call.clash == Clash::SkipAll) return false;
    TPanel& panel = call.panel;
    std::vector<std::string> lines = {title(call), Msg(panel, kMsgClashExists), name, Msg(panel, kMsgClashAddBeside)};
    for (int i = 0; i < 5; ++i) lines.push_back(Msg(panel, kMsgProceed + i));
    switch (AskMessage(panel, FMSG_WARNING, lines, 5)) {
        case 0: answer = kGoOn; return true;
        case 1: call.clash = Clash::KeepAll; answer = kGoOn; return true;
        case 2: return false;
        case 3: call.clash = Clash::SkipAll; return false;
        default: answer = kCancel; return false;
    }
}

Imported ImportItem(ImportCall& call, const PluginPanelItem& item) {
    TPanel& panel = call.panel;
    const std::string fileName = item.FindData.cFileName;
    std::unique_ptr<TFiles> node;
    if (item.Flags & kPanelItemMark) {
        const TFiles* source = NodeOfItem(panel, item);
        if (!source) return {nullptr, kSkip};  // "..", or a node deleted meanwhile
        node = CopyNode(*source);
    } else if (item.FindData.dwFileAttributes & kAttributeDirectory) {
        node = std::make_unique<TFiles>();
        node->Name = FitNodeName(os::pathName(fileName));
        node->Item.Flags = kPanelItemMark;
        if (const auto entry = os::findEntry(fileName))
            node->Item = {.Created = entry->times.created, .Accessed = entry->times.accessed,
                          .Modified = entry->times.modified, .Flags = kPanelItemMark};
    } else {
        const size_t dot = fileName.rfind('.');
        const bool extensionOk = dot != std::string::npos && fileName.substr(dot) == kFolderFileExtension &&
                                 fileName.find_first_of(os::folderEnds(), dot) == std::string::npos;
        if (!extensionOk && !yes(call, {Msg(panel, kMsgTheFile), "\"" + fileName + "\"", Msg(panel, kMsgNotSkvfinder),
                                        "\x01", Msg(panel, kMsgImportAnyway)}))
            return {nullptr, kGoOn};
        // The entry's times first: reading the file may move its access time.
        const auto entry = os::findEntry(fileName);
        TFolderFileRead read = ReadFolderFile(fileName);
        node = std::move(read.Node);
        node->Item = {.Flags = kPanelItemMark};
        if (entry) node->Item = {.Created = entry->times.created, .Accessed = entry->times.accessed,
                                 .Modified = entry->times.modified, .Flags = kPanelItemMark};
        if ((read.ReadError || node->Name.empty() || !read.MagicOk) &&
            !yes(call, {Msg(panel, kMsgNoValidFolder), "\"" + fileName + "\"", Msg(panel, kMsgImportWhatWasRead)}))
            return {nullptr, kGoOn};
        if (node->Name.empty()) node->Name = FitNodeName(os::pathName(fileName));
    }
    if (!UsableNodeName(node->Name)) node->Name = FitNodeName(node->Name + "_");
    int answer = kGoOn;
    if (!settleClash(call, node->Name, answer)) return {nullptr, answer};
    node->Name = UniqueSiblingName(call.level.Current, nullptr, node->Name);
    node->Children.reset();
    TFiles* added = LinkAtEnd(panel.tree, call.level, std::move(node));
    return {added, answer};
}

// The items a directory brings with it: a node's children, or a disk folder's entries.
TItemBlock contentsOf(ImportCall& call, const PluginPanelItem& item, std::vector<std::string>& names) {
    if (item.Flags & kPanelItemMark) {
        const TFiles* source = NodeOfItem(call.panel, item);
        return source ? ChildItems(*source) : TItemBlock{};
    }
    TItemBlock block;
    const std::string folder = item.FindData.cFileName;
    std::string error;
    if (os::listFolder(call.panel.fs(), folder, names, error)) {
        platform::ShowNoticeText(*call.panel.env.host, error);
        return block;
    }
    for (const std::string& name : names) {
        PluginPanelItem entry{};
        const std::string path = os::pathInFolder(folder, name);
        if (path.size() >= sizeof entry.FindData.cFileName) continue;  // a path FAR could not name either
        const auto found = os::findEntry(path);
        if (!found) continue;
        entry.FindData.dwFileAttributes = found->directory ? kAttributeDirectory : kAttributeArchive;
        CopyName(entry.FindData.cFileName, sizeof entry.FindData.cFileName, path);
        block.items.push_back(entry);
    }
    return block;
}

int importItems(ImportCall& call, const PluginPanelItem* items, int count) {
    int result = 1;
    for (int i = 0; i < count; ++i) {
        // A directory's contents are listed before its copy is linked anywhere, so a directory
        // copied into its own subtree takes its contents once, never endlessly.
        const bool directory = items[i].FindData.dwFileAttributes & kAttributeDirectory;
        std::vector<std::string> names;
        TItemBlock contents;
        if (directory) contents = contentsOf(call, items[i], names);
        const Imported imported = ImportItem(call, items[i]);
        if (imported.answer == kCancel) {
            call.cancelled = true;
            return -1;
        }
        if (imported.answer == kSkip) result = -1;
        if (!imported.node || contents.items.empty()) continue;
        // The contents go into the new directory under the same call; an item skipped inside makes
        // the whole import's result -1, as one skipped here does.
        const TPanelInstance outer = call.level;
        call.level = TPanelInstance{.Current = nullptr, .Parent = imported.node};
        if (importItems(call, contents.items.data(), static_cast<int>(contents.items.size())) == -1) result = -1;
        call.level = outer;
        if (call.cancelled) return -1;
    }
    return result;
}

}  // namespace

int PutFiles(TPanel& panel, HANDLE hPlugin, PluginPanelItem* items, int count, int move, int) {
    if (!ours(panel, hPlugin) || !items || count <= 0) return -1;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    ImportCall call{panel, move != 0, *panel.PanelInstance};
    const int result = importItems(call, items, count);
    // The shown level may have been empty: the instance follows the list the nodes went into.
    SyncInstance(panel);
    RememberPosition(panel);
    UpdateAndRedraw(panel);
    SaveTree(panel);
    return result;
}

}  // namespace skimmer::panel
