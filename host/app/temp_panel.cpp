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

bool TempPanel::load(const std::string& listFile, std::string& error) {
    std::vector<std::string> paths;
    if (!readTempPanelList(listFile, paths, error)) return false;
    listFile_ = listFile;
    paths_ = std::move(paths);
    resetCursor();
    reload();
    return true;
}

void TempPanel::reload() {
    std::vector<PanelEntry> entries;
    entries.reserve(paths_.size() + 1);
    entries.push_back(PanelEntry{.name = "..", .isDir = true});
    for (const std::string& path : paths_) entries.push_back(describePath(path));
    setEntries(std::move(entries));
}

std::string TempPanel::currentPath() const {
    const PanelEntry* e = currentEntry();
    return e == nullptr || current() == 0 ? std::string() : e->name;
}

}  // namespace skimmer::host::app
