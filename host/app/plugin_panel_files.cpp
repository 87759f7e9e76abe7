// The file operations FAR offers on a plug-in's panel: viewing and editing an item (GetFiles into a
// private temporary folder), copying and moving between it and a file panel (GetFiles, PutFiles),
// making a folder (MakeDirectory) and deleting (DeleteFiles). Results follow FAR: 1 done, 0 failed,
// -1 cancelled by the user (nothing more is said then).
#include <cstring>
#include <filesystem>

#include "far/editor_viewer.h"
#include "host/app/display_name.h"
#include "host/app/entry_items.h"
#include "host/app/fetched_file.h"
#include "host/app/panel_host.h"
#include "host/app/panel_side.h"
#include "host/app/plugin_panel_view.h"
#include "host/services/viewer_editor_slots.h"
#include "os/temp_dir.h"

namespace skimmer::host::app {
namespace {

namespace fs = std::filesystem;

// A FAR_MAX_PATH buffer the plug-in may rewrite, holding `text`.
struct PathBuffer {
    char text[FAR_MAX_PATH] = {};
    explicit PathBuffer(const std::string& initial = {}) {
        std::strncpy(text, initial.c_str(), sizeof text - 1);
    }
};

// A file panel entry as PutFiles receives it: the name relative to the panel's folder, which is
// the current folder during the call (as FAR has it).
PluginPanelItem itemOf(const PanelEntry& e) {
    PluginPanelItem item{};
    std::strncpy(item.FindData.cFileName, e.name.c_str(), sizeof item.FindData.cFileName - 1);
    item.FindData.dwFileAttributes = e.isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    item.FindData.nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
    item.FindData.nFileSizeLow = static_cast<DWORD>(e.size & 0xFFFFFFFFu);
    item.FindData.ftLastWriteTime = item.FindData.ftCreationTime = item.FindData.ftLastAccessTime = farFileTime(e.mtime);
    item.NumberOfLinks = 1;
    return item;
}

// FAR's rule after GetFiles, PutFiles and DeleteFiles: an item given selected whose PPIF_SELECTED
// the plug-in cleared was handled and is deselected; the others stay selected.
void takeSelection(PanelList& panel, const std::vector<PluginPanelItem>& given, const std::vector<bool>& wasSelected) {
    for (size_t i = 0; i < given.size(); ++i)
        if (wasSelected[i] && !(given[i].Flags & PPIF_SELECTED)) panel.deselect(given[i].FindData.cFileName);
}

std::vector<bool> selectedFlags(const std::vector<PluginPanelItem>& items) {
    std::vector<bool> flags;
    for (const PluginPanelItem& item : items) flags.push_back((item.Flags & PPIF_SELECTED) != 0);
    return flags;
}

// "Copy "a.txt" to:" for one item, "Copy 3 items to:" for several.
std::string copyPrompt(bool move, const std::vector<std::string>& names) {
    const std::string verb = move ? "Move " : "Copy ";
    if (names.size() == 1) return verb + "\"" + displayName(names[0]) + "\" to:";
    return verb + std::to_string(names.size()) + " items to:";
}

// "a.txt" for one item, "3 items" for several.
std::string itemsText(const std::vector<std::string>& names) {
    return names.size() == 1 ? displayName(names[0]) : std::to_string(names.size()) + " items";
}

int itemCount(size_t n) { return static_cast<int>(n); }

// Sets the process's current folder for one call and puts the old one back.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& dir) {
        std::error_code ec;
        old_ = fs::current_path(ec);
        if (!ec) fs::current_path(dir, ec);
        ok_ = !ec;
    }
    ~CurrentFolder() {
        std::error_code ec;
        if (!old_.empty()) fs::current_path(old_, ec);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    bool ok() const { return ok_; }

private:
    fs::path old_;
    bool ok_ = false;
};

}  // namespace

std::vector<PluginPanelItem> PluginPanelView::currentItem() const {
    PluginPanel& p = panel();
    const size_t i = static_cast<size_t>(p.current());
    if (i >= p.items().size()) return {};
    const PluginPanelItem& item = p.items()[i];
    if (std::strcmp(item.FindData.cFileName, "..") == 0) return {};
    PluginPanelItem one = item;
    one.Flags &= ~PPIF_SELECTED;  // F3/F4 act on the current item alone, selected or not
    return {one};
}

// F3/F4: the item goes through GetFiles (OPM_VIEW or OPM_EDIT, silent) into a private folder that
// is removed with everything in it afterwards, whatever the plug-in put there. A file changed in
// the editor goes back through PutFiles (OPM_EDIT, named relative to that folder, the current
// folder meanwhile); when the plug-in cannot take it, the folder is kept and the user told where
// the changes are, so no edit is lost.
void PluginPanelView::viewItem(bool edit) {
    std::vector<PluginPanelItem> items = currentItem();
    if (items.empty() || (items[0].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    PluginPanel& p = panel();
    std::string error;
    auto temp = os::TempDir::create("skimmer-panel", "view", error);
    if (!temp) {
        host_.showError(error);
        return;
    }
    PathBuffer dest(temp->path().string());
    const int opMode = OPM_SILENT | (edit ? OPM_EDIT : OPM_VIEW);
    const int got = p.call("GetFiles", [&](const EntryPoints& e) {
        return e.GetFiles ? e.GetFiles(p.handle(), items.data(), 1, 0, dest.text, opMode) : 0;
    }, 0);
    const std::string name(items[0].FindData.cFileName);
    const std::optional<fs::path> file = got == 1 ? fetchedFile(temp->path(), name) : std::nullopt;
    bool keep = false;
    const auto editor = [&](const fs::path& f) {
        const ManagerDialogs& d = host_.dialogs();
        return d.edit ? d.edit(f.string()) : services::Editor(f.c_str(), nullptr, 0, 0, -1, -1, 0, 0, 0);
    };
    if (file && edit && editor(*file) == EEC_MODIFIED) keep = !putBackEdited(temp->path(), *file);
    else if (file && !edit) services::Viewer(file->c_str(), nullptr, 0, 0, -1, -1, 0);
    else if (!file && got != -1) host_.showError("The plug-in did not provide " + displayName(name) + ".");
    // Kept: the TempDir removes only entries it made itself, so the file the plug-in wrote keeps
    // the folder (and the user's changes) in place.
    if (keep) return host_.settle();
    std::error_code ec;
    fs::remove_all(temp->path(), ec);  // never follows a link: links are removed, not their targets
    if (ec || !temp->remove(error)) host_.showError(ec ? ec.message() : error);
    host_.settle();
}

// PutFiles(OPM_EDIT) of a file edited after F4, then the panel re-read. False when the plug-in
// has no PutFiles or did not take the file (the user has been told where it is).
bool PluginPanelView::putBackEdited(const fs::path& folder, const fs::path& file) {
    PluginPanel* p = side_.plugin.get();
    const std::string kept = "The changes are kept in " + displayName(file.string()) + ".";
    if (p == nullptr || !p->hasEntry(&EntryPoints::PutFiles)) {
        host_.showError("The plug-in cannot take edited files back. " + kept);
        return false;
    }
    PluginPanelItem item{};
    std::error_code ec;
    const uint64_t size = fs::file_size(file, ec);
    std::strncpy(item.FindData.cFileName, file.filename().c_str(), sizeof item.FindData.cFileName - 1);
    item.FindData.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    item.FindData.nFileSizeHigh = static_cast<DWORD>(ec ? 0 : size >> 32);
    item.FindData.nFileSizeLow = static_cast<DWORD>(ec ? 0 : size & 0xFFFFFFFFu);
    item.NumberOfLinks = 1;
    int put = 0;
    {
        CurrentFolder here(folder);
        if (!here.ok()) {
            host_.showError("Cannot enter " + displayName(folder.string()) + ". " + kept);
            return false;
        }
        put = p->call("PutFiles", [&](const EntryPoints& e) { return e.PutFiles(p->handle(), &item, 1, 0, OPM_EDIT); }, 0);
    }
    host_.updatePanel(false);
    if (put != 1) host_.showError("The plug-in could not take the edited file back. " + kept);
    return put == 1;
}

void PluginPanelView::makeDirectory() {
    PluginPanel& p = panel();
    PathBuffer name;
    const int made = p.call("MakeDirectory", [&](const EntryPoints& e) {
        return e.MakeDirectory ? e.MakeDirectory(p.handle(), name.text, 0) : 0;
    }, 0);
    if (made == 0) host_.showError("The folder was not made.");
    if (made != 1) return host_.settle();
    host_.updatePanel(false);
    if (side_.plugin) side_.plugin->setCurrent(name.text);
    host_.settle();
}

// Shift+F2 on a panel that shows a host file's contents: FAR extracts by copying out, as F5 does.
void PluginPanelView::extract() {
    if (!panel().hostFile().empty()) copy(false);
    else host_.showError(kNoArchivePanels);
}

void PluginPanelView::deleteItems() {
    PluginPanel& p = panel();
    std::vector<PluginPanelItem> items = p.operationItems();
    if (items.empty()) return;
    const std::vector<bool> wasSelected = selectedFlags(items);
    const int deleted = p.call("DeleteFiles", [&](const EntryPoints& e) {
        return e.DeleteFiles ? e.DeleteFiles(p.handle(), items.data(), itemCount(items.size()), 0) : FALSE;
    }, FALSE);
    takeSelection(p, items, wasSelected);
    if (deleted) {
        host_.updatePanel(false);
        host_.updatePanel(true);
    }
    host_.settle();
}

// F5/F6 on a plug-in panel: FAR's copy dialog with the other panel's folder; the plug-in then
// writes there (OPM_SILENT: the destination is already chosen; its own questions, such as
// overwriting, stay its own).
void PluginPanelView::copy(bool move) {
    PluginPanel& p = panel();
    std::vector<PluginPanelItem> items = p.operationItems();
    const ManagerDialogs& dialogs = host_.dialogs();
    if (items.empty() || !dialogs.copy) return;
    PanelSide& other = host_.otherSide(side_);
    if (other.shown().plugin() != nullptr) {
        host_.showError("Copying between two plug-in panels is not available.");
        return;
    }
    std::vector<std::string> names;
    for (const PluginPanelItem& item : items) names.emplace_back(item.FindData.cFileName);
    const std::optional<std::string> typed = dialogs.copy(move ? "Rename/Move" : "Copy", copyPrompt(move, names),
                                                          other.files.dir().string(), move ? "Move" : "Copy");
    if (!typed || typed->empty()) return;
    const fs::path target = fs::path(*typed).is_absolute() ? fs::path(*typed) : side_.files.dir() / *typed;
    if (target.string().size() >= FAR_MAX_PATH) {  // cut, it would name another folder
        host_.showError("The destination is too long for the plug-in: " + displayName(target.string()));
        return;
    }
    PathBuffer dest(target.string());
    const std::vector<bool> wasSelected = selectedFlags(items);
    const int got = p.call("GetFiles", [&](const EntryPoints& e) {
        return e.GetFiles ? e.GetFiles(p.handle(), items.data(), itemCount(items.size()), move ? 1 : 0, dest.text, OPM_SILENT) : 0;
    }, 0);
    takeSelection(p, items, wasSelected);
    if (got == 0) host_.showError("The plug-in could not copy " + itemsText(names) + " to " + displayName(target.string()) + ".");
    host_.updatePanel(false);
    host_.updatePanel(true);
    host_.settle();
}

void copyToPlugin(PanelHost& host, FilePanel& here, PluginPanel& target, bool move) {
    std::vector<int> chosen = here.selectedIndices();
    if (chosen.empty() && here.currentEntry() != nullptr && here.currentEntry()->name != "..") chosen.push_back(here.current());
    const ManagerDialogs& dialogs = host.dialogs();
    if (chosen.empty() || !dialogs.copy) return;
    std::vector<PluginPanelItem> items;
    std::vector<std::string> names;
    for (int i : chosen) {
        const PanelEntry& e = here.entries()[static_cast<size_t>(i)];
        items.push_back(itemOf(e));
        if (e.selected) items.back().Flags |= PPIF_SELECTED;
        names.push_back(e.name);
    }
    if (!dialogs.copy(move ? "Rename/Move" : "Copy", copyPrompt(move, names), target.title(), move ? "Move" : "Copy"))
        return;
    CurrentFolder folder(here.dir());
    if (!folder.ok()) {
        host.showError("Cannot enter " + displayName(here.dir().string()) + ".");
        return;
    }
    const std::vector<bool> wasSelected = selectedFlags(items);
    const int put = target.call("PutFiles", [&](const EntryPoints& ep) {
        return ep.PutFiles ? ep.PutFiles(target.handle(), items.data(), itemCount(items.size()), move ? 1 : 0, 0) : 0;
    }, 0);
    takeSelection(here, items, wasSelected);
    if (put == 0) host.showError("The plug-in could not take " + itemsText(names) + ".");
    host.updatePanel(false);
    host.updatePanel(true);
    host.settle();
}

}  // namespace skimmer::host::app
