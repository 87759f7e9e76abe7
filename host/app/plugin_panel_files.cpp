// The file operations FAR offers on a plug-in's panel: viewing and editing an item (GetFiles into a
// private temporary folder), copying and moving between it and a file panel (GetFiles, PutFiles),
// making a folder (MakeDirectory) and deleting (DeleteFiles). Results follow FAR: 1 done, 0 failed,
// -1 cancelled by the user (nothing more is said then).
#include <cstring>
#include <filesystem>

#include "far/editor_viewer.h"
#include "host/app/display_name.h"
#include "host/app/fetched_file.h"
#include "host/app/host_services.h"
#include "host/app/manager.h"
#include "os/temp_dir.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;
namespace fs = std::filesystem;

// A FAR_MAX_PATH buffer the plug-in may rewrite, holding `text`.
struct PathBuffer {
    char text[FAR_MAX_PATH] = {};
    explicit PathBuffer(const std::string& initial = {}) {
        std::strncpy(text, initial.c_str(), sizeof text - 1);
    }
};

FILETIME fileTime(int64_t unixSeconds) {
    const uint64_t ticks = static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// A file panel entry as PutFiles receives it: the name relative to the panel's folder, which is
// the current folder during the call (as FAR has it).
PluginPanelItem itemOf(const PanelEntry& e) {
    PluginPanelItem item{};
    std::strncpy(item.FindData.cFileName, e.name.c_str(), sizeof item.FindData.cFileName - 1);
    item.FindData.dwFileAttributes = e.isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    item.FindData.nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
    item.FindData.nFileSizeLow = static_cast<DWORD>(e.size & 0xFFFFFFFFu);
    item.FindData.ftLastWriteTime = item.FindData.ftCreationTime = item.FindData.ftLastAccessTime = fileTime(e.mtime);
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
    bool ok() const { return ok_; }

private:
    fs::path old_;
    bool ok_ = false;
};

}  // namespace

bool Manager::pluginFileKey(k::Code key) {
    switch (key) {
        case k::F(3): viewPluginItem(false); return true;
        case k::F(4): viewPluginItem(true); return true;
        case k::F(5): copyFromPlugin(false); return true;
        case k::F(6): copyFromPlugin(true); return true;
        case k::F(7): makePluginDirectory(); return true;
        case k::F(8): deletePluginItem(); return true;
        default: return false;
    }
}

std::vector<PluginPanelItem> Manager::currentPluginItem() {
    PluginPanel& panel = *sides_[active_].plugin;
    const size_t i = static_cast<size_t>(panel.current());
    if (i >= panel.items().size()) return {};
    const PluginPanelItem& item = panel.items()[i];
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
void Manager::viewPluginItem(bool edit) {
    std::vector<PluginPanelItem> items = currentPluginItem();
    if (items.empty() || (items[0].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    PluginPanel& panel = *sides_[active_].plugin;
    std::string error;
    auto temp = os::TempDir::create("skimmer-panel", "view", error);
    if (!temp) {
        showError(error);
        return;
    }
    PathBuffer dest(temp->path().string());
    const int opMode = OPM_SILENT | (edit ? OPM_EDIT : OPM_VIEW);
    const int got = panel.call("GetFiles", [&](const EntryPoints& e) {
        return e.GetFiles ? e.GetFiles(panel.handle(), items.data(), 1, 0, dest.text, opMode) : 0;
    }, 0);
    const std::string name(items[0].FindData.cFileName);
    const std::optional<fs::path> file = got == 1 ? fetchedFile(temp->path(), name) : std::nullopt;
    bool keep = false;
    const auto editor = [&](const fs::path& f) {
        return dialogs_.edit ? dialogs_.edit(f.string()) : Editor(f.c_str(), nullptr, 0, 0, -1, -1, 0, 0, 0);
    };
    if (file && edit && editor(*file) == EEC_MODIFIED) keep = !putBackEdited(temp->path(), *file);
    else if (file && !edit) Viewer(file->c_str(), nullptr, 0, 0, -1, -1, 0);
    else if (!file && got != -1) showError("The plug-in did not provide " + displayName(name) + ".");
    // Kept: the TempDir removes only entries it made itself, so the file the plug-in wrote keeps
    // the folder (and the user's changes) in place.
    if (keep) return settle();
    std::error_code ec;
    fs::remove_all(temp->path(), ec);  // never follows a link: links are removed, not their targets
    if (ec || !temp->remove(error)) showError(ec ? ec.message() : error);
    settle();
}

// PutFiles(OPM_EDIT) of a file edited after F4, then the panel re-read. False when the plug-in
// has no PutFiles or did not take the file (the user has been told where it is).
bool Manager::putBackEdited(const fs::path& folder, const fs::path& file) {
    PluginPanel* panel = sides_[active_].plugin.get();
    const std::string kept = "The changes are kept in " + displayName(file.string()) + ".";
    if (panel == nullptr || !panel->hasEntry(&EntryPoints::PutFiles)) {
        showError("The plug-in cannot take edited files back. " + kept);
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
            showError("Cannot enter " + displayName(folder.string()) + ". " + kept);
            return false;
        }
        put = panel->call("PutFiles", [&](const EntryPoints& e) { return e.PutFiles(panel->handle(), &item, 1, 0, OPM_EDIT); }, 0);
    }
    updatePanel();
    if (put != 1) showError("The plug-in could not take the edited file back. " + kept);
    return put == 1;
}

void Manager::makePluginDirectory() {
    PluginPanel& panel = *sides_[active_].plugin;
    PathBuffer name;
    const int made = panel.call("MakeDirectory", [&](const EntryPoints& e) {
        return e.MakeDirectory ? e.MakeDirectory(panel.handle(), name.text, 0) : 0;
    }, 0);
    if (made == 0) showError("The folder was not made.");
    if (made != 1) return settle();
    updatePanel();
    if (sides_[active_].plugin) sides_[active_].plugin->setCurrent(name.text);
    settle();
}

void Manager::deletePluginItem() {
    PluginPanel& panel = *sides_[active_].plugin;
    std::vector<PluginPanelItem> items = panel.operationItems();
    if (items.empty()) return;
    const std::vector<bool> wasSelected = selectedFlags(items);
    const int deleted = panel.call("DeleteFiles", [&](const EntryPoints& e) {
        return e.DeleteFiles ? e.DeleteFiles(panel.handle(), items.data(), itemCount(items.size()), 0) : FALSE;
    }, FALSE);
    takeSelection(panel, items, wasSelected);
    if (deleted) {
        updatePanel();
        updatePanel(true);
    }
    settle();
}

// F5/F6 on a plug-in panel: FAR's copy dialog with the other panel's folder; the plug-in then
// writes there (OPM_SILENT: the destination is already chosen; its own questions, such as
// overwriting, stay its own).
void Manager::copyFromPlugin(bool move) {
    PluginPanel& panel = *sides_[active_].plugin;
    std::vector<PluginPanelItem> items = panel.operationItems();
    if (items.empty() || !dialogs_.copy) return;
    if (sides_[1 - active_].plugin) {
        showError("Copying between two plug-in panels is not available.");
        return;
    }
    std::vector<std::string> names;
    for (const PluginPanelItem& item : items) names.emplace_back(item.FindData.cFileName);
    const std::optional<std::string> typed = dialogs_.copy(move ? "Rename/Move" : "Copy", copyPrompt(move, names),
                                                           sides_[1 - active_].files.dir().string(), move ? "Move" : "Copy");
    if (!typed || typed->empty()) return;
    const fs::path target = fs::path(*typed).is_absolute() ? fs::path(*typed) : files().dir() / *typed;
    if (target.string().size() >= FAR_MAX_PATH) {  // cut, it would name another folder
        showError("The destination is too long for the plug-in: " + displayName(target.string()));
        return;
    }
    PathBuffer dest(target.string());
    const std::vector<bool> wasSelected = selectedFlags(items);
    const int got = panel.call("GetFiles", [&](const EntryPoints& e) {
        return e.GetFiles ? e.GetFiles(panel.handle(), items.data(), itemCount(items.size()), move ? 1 : 0, dest.text, OPM_SILENT) : 0;
    }, 0);
    takeSelection(panel, items, wasSelected);
    const std::string what = names.size() == 1 ? displayName(names[0]) : std::to_string(names.size()) + " items";
    if (got == 0) showError("The plug-in could not copy " + what + " to " + displayName(target.string()) + ".");
    updatePanel();
    updatePanel(true);
    settle();
}

// F5/F6 on a file panel whose other side is a plug-in panel: FAR's copy dialog names the panel,
// then PutFiles with the name relative to the file panel's folder, the current folder meanwhile.
void Manager::copyToPlugin(bool move) {
    PluginPanel* panel = sides_[1 - active_].plugin.get();
    FilePanel& here = files();
    std::vector<int> chosen = here.selectedIndices();
    if (chosen.empty() && here.currentEntry() != nullptr && here.currentEntry()->name != "..") chosen.push_back(here.current());
    if (chosen.empty() || panel == nullptr || !dialogs_.copy) return;
    std::vector<PluginPanelItem> items;
    std::vector<std::string> names;
    for (int i : chosen) {
        const PanelEntry& e = here.entries()[static_cast<size_t>(i)];
        items.push_back(itemOf(e));
        if (e.selected) items.back().Flags |= PPIF_SELECTED;
        names.push_back(e.name);
    }
    if (!dialogs_.copy(move ? "Rename/Move" : "Copy", copyPrompt(move, names), panel->title(), move ? "Move" : "Copy"))
        return;
    CurrentFolder folder(here.dir());
    if (!folder.ok()) {
        showError("Cannot enter " + displayName(here.dir().string()) + ".");
        return;
    }
    const std::vector<bool> wasSelected = selectedFlags(items);
    const int put = panel->call("PutFiles", [&](const EntryPoints& ep) {
        return ep.PutFiles ? ep.PutFiles(panel->handle(), items.data(), itemCount(items.size()), move ? 1 : 0, 0) : 0;
    }, 0);
    takeSelection(here, items, wasSelected);
    const std::string what = names.size() == 1 ? displayName(names[0]) : std::to_string(names.size()) + " items";
    if (put == 0) showError("The plug-in could not take " + what + ".");
    updatePanel();
    updatePanel(true);
    settle();
}

}  // namespace skimmer::host::app
