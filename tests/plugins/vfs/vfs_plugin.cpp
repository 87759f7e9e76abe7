// The virtual-file-system test plug-in's entry points: FAR 1.70's exports with C linkage. Its
// disk-menu entry opens a panel over an in-memory tree; every panel entry point logs its call
// (vfs_tree.h) so that the host's tests can check what the host asked and in which order.
//
// Keys it takes in ProcessKey (everything else is logged and left to the host):
//   Shift+F4  consumed, nothing else;  F2  adds a file, then FCTL_UPDATEPANEL and FCTL_GETPANELINFO;
//   Shift+F2  FCTL_GETANOTHERPANELINFO;  Ctrl+F2  FCTL_CLOSEPLUGIN to $SKIMMER_VFS_CLOSE_TO (or NULL);
//   Alt+F2  FCTL_REDRAWPANEL with the cursor on the last item;  Ctrl+Alt+F2  adds a file, then
//   FCTL_UPDATEPANEL, finds the file in FCTL_GETPANELINFO's items and puts the cursor on it there;
//   Alt+Shift+F2  enters the first folder by itself (no SetDirectory), then FCTL_UPDATEPANEL.
// SKIMMER_VFS_NO_PANEL=1 makes OpenPlugin return no panel. SKIMMER_VFS_MODES=1 gives the panel
// modes of its own (mode 3: name, kind, description; mode 8: full screen) and starts in mode 3.
// SKIMMER_VFS_SORT=1 asks for its items unsorted, in reverse (StartSortMode, StartSortOrder).
// SKIMMER_VFS_NO_ASK=1 deletes without asking. SKIMMER_VFS_KEEP names an item whose PPIF_SELECTED
// GetFiles, PutFiles and DeleteFiles leave set (the others they handle are cleared, as FAR asks).
// SKIMMER_VFS_REFUSE_PUT=1 makes PutFiles take nothing; SKIMMER_VFS_HOST_FILE=PATH is reported as
// OpenPluginInfo.HostFile (the panel then shows that archive's contents, and Shift+F2 is left to
// the host). SKIMMER_VFS_UPDATE_IN_GET=1 makes GetFiles
// add a file, ask for FCTL_UPDATEPANEL and log FCTL_GETPANELINFO ("PanelInfo") before it copies. After each GetFiles, PutFiles and
// DeleteFiles line the log has an "Items" line: every name it was given, "+" after those given
// with PPIF_SELECTED.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "far/far.h"
#include "far/vk.h"
#include "tests/plugins/vfs/vfs_tree.h"

namespace skimmer::vfs {
namespace {

PluginStartupInfo gInfo{};
FarStandardFunctions gFsf{};

const char* const kDiskStrings[] = {"VFS test panel"};
const int kDiskNumbers[] = {7};

struct Panel {
    std::unique_ptr<Node> root = makeTree();
    std::vector<Node*> path;  // below the root
    std::string curDir;       // "" at the root, else "\docs\deep"
    std::string title;
    int added = 0;
    KeyBarTitles keyBar{};
    PanelMode modes[10]{};

    Node& cwd() { return path.empty() ? *root : *path.back(); }
    void updateDir() {
        curDir.clear();
        for (Node* n : path) curDir += "\\" + n->name;
        title = " VFS:" + (curDir.empty() ? std::string("\\") : curDir) + " ";
    }
};

Panel* panelOf(HANDLE h) { return static_cast<Panel*>(h); }

void copyName(char* dest, size_t size, const std::string& text) {
    std::snprintf(dest, size, "%s", text.c_str());
}

// A name as a careful plug-in writes it into a real folder: one component, never "." or "..".
std::string diskName(std::string name) {
    for (char& c : name)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20) c = '_';
    if (name == "." || name == "..") name = "_";
    return name;
}

bool writeFile(const std::string& path, const std::string& content) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    return std::fclose(f) == 0 && ok;
}

bool readFile(const std::string& path, std::string& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return true;
}

bool envIs(const char* name, const char* value) {
    const char* v = std::getenv(name);
    return v != nullptr && std::strcmp(v, value) == 0;
}

void logItems(const PluginPanelItem* items, int count) {
    std::string line = "Items";
    for (int i = 0; i < count; ++i)
        line += std::string(" ") + items[i].FindData.cFileName + ((items[i].Flags & PPIF_SELECTED) ? "+" : "");
    logCall(line);
}

// FAR's convention: an item handled is deselected by clearing its flag; SKIMMER_VFS_KEEP is not.
void handled(PluginPanelItem& item) {
    const char* keep = std::getenv("SKIMMER_VFS_KEEP");
    if (keep == nullptr || std::strcmp(keep, item.FindData.cFileName) != 0) item.Flags &= ~PPIF_SELECTED;
}

const char* const kModeTitles[] = {"File", "Kind", "Note"};

void setModes(Panel& p) {
    p.modes[3] = PanelMode{};
    p.modes[3].ColumnTypes = const_cast<char*>("N,C0,Z");
    p.modes[3].ColumnWidths = const_cast<char*>("0,6,0");
    p.modes[3].ColumnTitles = const_cast<char**>(kModeTitles);
    p.modes[3].StatusColumnTypes = const_cast<char*>("C0,Z");
    p.modes[3].StatusColumnWidths = const_cast<char*>("6,0");
    p.modes[8] = PanelMode{};
    p.modes[8].ColumnTypes = const_cast<char*>("N,Z");
    p.modes[8].ColumnWidths = const_cast<char*>("20,0");
    p.modes[8].FullScreen = TRUE;
}

void logPanelInfo(HANDLE h, int command, const char* what) {
    PanelInfo pi{};
    const int ok = gInfo.Control(h, command, &pi);
    char line[4400];
    std::snprintf(line, sizeof line, "%s ok=%d plugin=%d items=%d current=%d curdir=%s", what, ok, pi.Plugin,
                  pi.ItemsNumber, pi.CurrentItem, pi.CurDir);
    logCall(line);
}

int processKey(HANDLE h, int key, unsigned state) {
    Panel& p = *panelOf(h);
    logCall("ProcessKey " + std::to_string(key) + " " + std::to_string(state));
    if (key == VK_F4 && state == PKF_SHIFT) return TRUE;
    if (key != VK_F2) return FALSE;
    if (state == PKF_SHIFT && std::getenv("SKIMMER_VFS_HOST_FILE")) return FALSE;  // an archive's: extract
    if (state == 0) {
        p.cwd().add("added" + std::to_string(++p.added) + ".txt", false, "added\n");
        gInfo.Control(h, FCTL_UPDATEPANEL, nullptr);
        logPanelInfo(h, FCTL_GETPANELINFO, "PanelInfo");
    } else if (state == PKF_SHIFT) {
        logPanelInfo(h, FCTL_GETANOTHERPANELINFO, "AnotherPanelInfo");
    } else if (state == PKF_CONTROL) {
        const char* to = std::getenv("SKIMMER_VFS_CLOSE_TO");
        gInfo.Control(h, FCTL_CLOSEPLUGIN, const_cast<char*>(to));
    } else if (state == (PKF_CONTROL | PKF_ALT)) {
        const std::string name = "added" + std::to_string(++p.added) + ".txt";
        p.cwd().add(name, false, "added\n");
        gInfo.Control(h, FCTL_UPDATEPANEL, nullptr);
        PanelInfo pi{};
        gInfo.Control(h, FCTL_GETPANELINFO, &pi);
        for (int i = 0; i < pi.ItemsNumber; ++i)
            if (name == pi.PanelItems[i].FindData.cFileName) {
                PanelRedrawInfo r{i, 0};
                gInfo.Control(h, FCTL_REDRAWPANEL, &r);
            }
    } else if (state == (PKF_ALT | PKF_SHIFT)) {
        for (const auto& child : p.cwd().children)
            if (child->isDir) {
                p.path.push_back(child.get());
                p.updateDir();
                break;
            }
        gInfo.Control(h, FCTL_UPDATEPANEL, nullptr);
    } else if (state == PKF_ALT) {
        PanelInfo pi{};
        gInfo.Control(h, FCTL_GETPANELSHORTINFO, &pi);
        PanelRedrawInfo r{pi.ItemsNumber - 1, 0};
        gInfo.Control(h, FCTL_REDRAWPANEL, &r);
    } else {
        return FALSE;
    }
    return TRUE;
}

}  // namespace
}  // namespace skimmer::vfs

using namespace skimmer::vfs;

FAR_EXPORT void FARAPI SetStartupInfo(const PluginStartupInfo* Info) {
    if (Info == nullptr) return;
    std::memcpy(&gInfo, Info, std::min<size_t>(sizeof gInfo, static_cast<size_t>(Info->StructSize)));
    if (Info->FSF) {
        gFsf = *Info->FSF;
        gInfo.FSF = &gFsf;
    }
}

FAR_EXPORT void FARAPI GetPluginInfo(PluginInfo* Info) {
    if (!Info) return;
    *Info = PluginInfo{};
    Info->StructSize = sizeof(PluginInfo);
    Info->DiskMenuStrings = kDiskStrings;
    Info->DiskMenuNumbers = kDiskNumbers;
    Info->DiskMenuStringsNumber = 1;
}

FAR_EXPORT HANDLE FARAPI OpenPlugin(int OpenFrom, INT_PTR Item) {
    logCall("OpenPlugin " + std::to_string(OpenFrom) + " " + std::to_string(Item));
    const char* refuse = std::getenv("SKIMMER_VFS_NO_PANEL");
    if (OpenFrom != OPEN_DISKMENU || (refuse != nullptr && *refuse == '1')) return INVALID_HANDLE_VALUE;
    try {
        auto* p = new Panel;
        p->updateDir();
        return p;
    } catch (const std::exception&) {
        return INVALID_HANDLE_VALUE;
    }
}

FAR_EXPORT void FARAPI ClosePlugin(HANDLE hPlugin) {
    logCall("ClosePlugin");
    delete panelOf(hPlugin);
}

FAR_EXPORT void FARAPI GetOpenPluginInfo(HANDLE hPlugin, OpenPluginInfo* Info) {
    Panel& p = *panelOf(hPlugin);
    logCall("GetOpenPluginInfo " + p.curDir);
    Info->StructSize = sizeof(OpenPluginInfo);
    Info->Flags = OPIF_USEHIGHLIGHTING | OPIF_ADDDOTS;
    Info->CurDir = p.curDir.c_str();
    Info->PanelTitle = p.title.c_str();
    p.keyBar = KeyBarTitles{};
    p.keyBar.Titles[1] = "AddOne";
    p.keyBar.Titles[6] = "MkFold";
    Info->KeyBar = &p.keyBar;
    if (envIs("SKIMMER_VFS_MODES", "1")) {
        setModes(p);
        Info->PanelModesArray = p.modes;
        Info->PanelModesNumber = 10;
        Info->StartPanelMode = '3';
    }
    if (const char* host = std::getenv("SKIMMER_VFS_HOST_FILE")) Info->HostFile = host;  // an archive's contents
    if (envIs("SKIMMER_VFS_SORT", "1")) {
        Info->StartSortMode = SM_UNSORTED;
        Info->StartSortOrder = 1;
    }
}

FAR_EXPORT int FARAPI GetFindData(HANDLE hPlugin, PluginPanelItem** pPanelItem, int* pItemsNumber, int OpMode) {
    Panel& p = *panelOf(hPlugin);
    logCall("GetFindData " + p.curDir + " " + std::to_string(OpMode));
    if (!p.path.empty() && p.path.back()->name == "failing") return FALSE;
    const auto& children = p.cwd().children;
    auto* items = new PluginPanelItem[children.size() + 1]();
    for (size_t i = 0; i < children.size(); ++i) {
        const Node& n = *children[i];
        copyName(items[i].FindData.cFileName, sizeof items[i].FindData.cFileName, n.name);
        items[i].FindData.dwFileAttributes = n.isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        items[i].FindData.nFileSizeLow = static_cast<DWORD>(n.content.size());
        items[i].Description = const_cast<char*>(n.description.c_str());
        static const char* const kKinds[2][1] = {{"file"}, {"dir"}};
        items[i].CustomColumnData = const_cast<char**>(kKinds[n.isDir ? 1 : 0]);
        items[i].CustomColumnNumber = 1;
    }
    *pPanelItem = items;
    *pItemsNumber = static_cast<int>(children.size());
    return TRUE;
}

FAR_EXPORT void FARAPI FreeFindData(HANDLE, PluginPanelItem* PanelItem, int ItemsNumber) {
    logCall("FreeFindData " + std::to_string(ItemsNumber));
    delete[] PanelItem;
}

FAR_EXPORT int FARAPI SetDirectory(HANDLE hPlugin, const char* Dir, int OpMode) {
    Panel& p = *panelOf(hPlugin);
    const std::string dir = Dir ? Dir : "";
    logCall("SetDirectory " + dir + " " + std::to_string(OpMode));
    if (dir == "\\") {
        p.path.clear();
    } else if (dir == "..") {
        if (p.path.empty()) return FALSE;
        p.path.pop_back();
    } else {
        Node* next = p.cwd().child(dir);
        if (next == nullptr || !next->isDir) return FALSE;
        p.path.push_back(next);
    }
    p.updateDir();
    return TRUE;
}

FAR_EXPORT int FARAPI ProcessKey(HANDLE hPlugin, int Key, unsigned int ControlState) {
    return processKey(hPlugin, Key, ControlState);
}

FAR_EXPORT int FARAPI ProcessEvent(HANDLE, int Event, void* Param) {
    const bool text = (Event == FE_CHANGEVIEWMODE || Event == FE_COMMAND) && Param != nullptr;
    logCall("ProcessEvent " + std::to_string(Event) + (text ? std::string(" ") + static_cast<const char*>(Param) : ""));
    return FALSE;
}

FAR_EXPORT int FARAPI GetFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int Move, char* DestPath,
                               int OpMode) {
    Panel& p = *panelOf(hPlugin);
    logCall("GetFiles " + std::to_string(ItemsNumber) + " " + std::to_string(Move) + " " + std::to_string(OpMode));
    logItems(PanelItem, ItemsNumber);
    if (std::getenv("SKIMMER_VFS_UPDATE_IN_GET")) {
        p.cwd().add("added" + std::to_string(++p.added) + ".txt", false, "added\n");
        gInfo.Control(hPlugin, FCTL_UPDATEPANEL, nullptr);
        logPanelInfo(hPlugin, FCTL_GETPANELINFO, "PanelInfo");
    }
    int ok = TRUE;
    for (int i = 0; i < ItemsNumber; ++i) {
        const std::string name = PanelItem[i].FindData.cFileName;
        Node* n = p.cwd().child(name);
        if (n == nullptr || n->isDir || !writeFile(std::string(DestPath) + "/" + diskName(name), n->content)) {
            ok = FALSE;
            continue;
        }
        if (Move) p.cwd().remove(name);
        handled(PanelItem[i]);
    }
    return ok;
}

FAR_EXPORT int FARAPI PutFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int Move, int OpMode) {
    Panel& p = *panelOf(hPlugin);
    logCall("PutFiles " + std::to_string(ItemsNumber) + " " + std::to_string(Move) + " " + std::to_string(OpMode));
    logItems(PanelItem, ItemsNumber);
    if (envIs("SKIMMER_VFS_REFUSE_PUT", "1")) return FALSE;
    int ok = TRUE;
    for (int i = 0; i < ItemsNumber; ++i) {
        const std::string name = PanelItem[i].FindData.cFileName;
        std::string content;
        if (!readFile(name, content)) {  // relative to the host's current folder, as in FAR
            ok = FALSE;
            continue;
        }
        p.cwd().remove(name);
        p.cwd().add(name, false, content);
        if (Move) std::remove(name.c_str());
        handled(PanelItem[i]);
    }
    return ok;
}

FAR_EXPORT int FARAPI DeleteFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int OpMode) {
    Panel& p = *panelOf(hPlugin);
    logCall("DeleteFiles " + std::to_string(ItemsNumber) + " " + std::to_string(OpMode));
    logItems(PanelItem, ItemsNumber);
    if (!(OpMode & OPM_SILENT) && !envIs("SKIMMER_VFS_NO_ASK", "1")) {
        const char* lines[] = {"Delete", "Delete from the VFS?", "Delete", "Cancel"};
        if (gInfo.Message(gInfo.ModuleNumber, 0, nullptr, lines, 4, 2) != 0) return FALSE;
    }
    for (int i = 0; i < ItemsNumber; ++i) {
        p.cwd().remove(PanelItem[i].FindData.cFileName);
        handled(PanelItem[i]);
    }
    return TRUE;
}

FAR_EXPORT int FARAPI MakeDirectory(HANDLE hPlugin, char* Name, int OpMode) {
    Panel& p = *panelOf(hPlugin);
    logCall("MakeDirectory " + std::string(Name) + " " + std::to_string(OpMode));
    if (!(OpMode & OPM_SILENT)) {
        char typed[512] = {};
        if (!gInfo.InputBox("Make folder", "Create the folder", nullptr, Name, typed, sizeof typed, nullptr, 0))
            return -1;
        copyName(Name, FAR_MAX_PATH, typed);
    }
    if (*Name == '\0' || p.cwd().child(Name) != nullptr) return 0;
    p.cwd().add(Name, true);
    return 1;
}

FAR_EXPORT void FARAPI ExitFAR() { logCall("ExitFAR"); }
