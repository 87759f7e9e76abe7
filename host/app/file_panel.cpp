#include "host/app/file_panel.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "host/app/display_name.h"
#include "os/dir_handle.h"

namespace skimmer::host::app {
namespace {

PanelEntry describe(int dirFd, const char* name) {
    PanelEntry e;
    e.name = name;
    struct stat st {};
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return e;
    e.isLink = S_ISLNK(st.st_mode);
    if (e.isLink) fstatat(dirFd, name, &st, 0);  // a dangling link keeps its own (link) data
    e.isDir = S_ISDIR(st.st_mode);
    e.isExecutable = S_ISREG(st.st_mode) && (st.st_mode & 0111);
    e.size = static_cast<uint64_t>(st.st_size);
    e.mtime = st.st_mtime;
    return e;
}

}  // namespace

bool FilePanel::open(const std::filesystem::path& dir, std::string& error) {
    std::filesystem::path previous = dir_;
    if (!load(dir, error)) return false;
    if (previous != dir_) clearSelection();  // names selected in one folder mean nothing in another
    resetCursor();
    // Coming up out of a folder puts the cursor on that folder, as FAR does.
    if (!previous.empty() && previous.parent_path() == dir_) setCurrent(previous.filename().string());
    return true;
}

bool FilePanel::reload(std::string& error) {
    const std::string name = currentEntry() ? currentEntry()->name : std::string();
    const int index = current();
    if (!load(dir_, error)) return false;
    moveTo(index);
    setCurrent(name);
    return true;
}

bool FilePanel::load(const std::filesystem::path& dir, std::string& error) {
    os::DirHandle d = os::openDirectory(dir.string());
    if (!d) {
        error = "cannot open " + displayName(dir.string()) + ": " + std::strerror(errno);
        return false;
    }
    std::vector<PanelEntry> list;
    errno = 0;
    while (dirent* ent = readdir(d.get())) {
        if (std::strcmp(ent->d_name, ".") == 0) continue;
        if (std::strcmp(ent->d_name, "..") == 0 && dir == "/") continue;
        list.push_back(describe(dirfd(d.get()), ent->d_name));
    }
    if (errno != 0) {
        error = "cannot read " + displayName(dir.string()) + ": " + std::strerror(errno);
        return false;
    }
    if (dir != "/" && std::none_of(list.begin(), list.end(), [](const PanelEntry& e) { return e.name == ".."; }))
        list.push_back(PanelEntry{"..", true});
    setEntries(std::move(list));
    dir_ = dir;
    error.clear();
    return true;
}

bool FilePanel::enterCurrent(std::string& error) {
    error.clear();
    const PanelEntry* e = currentEntry();
    if (e == nullptr || !e->isDir) return false;
    const std::filesystem::path target = e->name == ".." ? dir_.parent_path() : dir_ / e->name;
    return open(target, error);
}

}  // namespace skimmer::host::app
