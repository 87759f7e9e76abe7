#include "host/app/temp_panel.h"

#include <sys/stat.h>

#include "host/app/temp_panel_list.h"

namespace skimmer::host::app {

PanelEntry describePath(const std::string& path) {
    PanelEntry e;
    e.name = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        e.isMissing = true;
        return e;
    }
    e.isLink = S_ISLNK(st.st_mode);
    if (e.isLink) ::stat(path.c_str(), &st);  // a dangling link keeps its own (link) data
    e.isDir = S_ISDIR(st.st_mode);
    e.isExecutable = S_ISREG(st.st_mode) && (st.st_mode & 0111);
    e.size = static_cast<uint64_t>(st.st_size);
    e.mtime = st.st_mtime;
    return e;
}

bool TempPanel::load(const std::string& listFile, std::string& error, bool add, std::optional<bool> any) {
    std::vector<std::string> lines;
    if (!readTempPanelLines(listFile, lines, error)) return false;
    if (!add) {
        items_.clear();
        resetCursor();
    }
    listFile_ = listFile;
    for (const std::string& line : lines) {
        const std::string path = tempPanelPath(listFile, line);
        struct stat st {};
        if (!any || ::lstat(path.c_str(), &st) == 0) items_.push_back(Item{path, false});
        else if (*any) items_.push_back(Item{line, true});  // "+any": the line itself, not a path
    }
    reload();
    return true;
}

void TempPanel::reload() {
    std::vector<PanelEntry> entries;
    entries.reserve(items_.size() + 1);
    entries.push_back(PanelEntry{.name = "..", .isDir = true});
    texts_.clear();
    for (const Item& item : items_) {
        if (item.text) {
            texts_.insert(item.name);
            entries.push_back(PanelEntry{.name = item.name});
        } else {
            entries.push_back(describePath(item.name));
        }
    }
    setEntries(std::move(entries));
}

// "Temporary panel [3] (R)": the number, then the safe mode's mark (our layout of FAR's title).
std::string TempPanel::title() const {
    return "Temporary panel [" + std::to_string(number_) + "]" + (safe_ ? " (R)" : "");
}

ViewMode TempPanel::viewMode() const {
    ViewMode mode = PanelList::viewMode();
    if (fullScreen_) mode.fullScreen = true;
    return mode;
}

std::string TempPanel::currentPath() const {
    const PanelEntry* e = currentEntry();
    return e == nullptr || current() == 0 || texts_.count(e->name) > 0 ? std::string() : e->name;
}

std::string TempPanel::currentText() const {
    const PanelEntry* e = currentEntry();
    return e == nullptr || current() == 0 || texts_.count(e->name) == 0 ? std::string() : e->name;
}

}  // namespace skimmer::host::app
