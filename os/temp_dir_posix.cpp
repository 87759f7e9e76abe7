#include "os/temp_dir.h"

#include "os/dir_handle.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace skimmer::os {

namespace {

constexpr int kMaxSuffix = 1000;
constexpr const char* kOwnerFile = ".owner";
constexpr const char* kOwnerStaging = ".owner.new";

std::string describe(const std::string& what, const std::filesystem::path& path, int err) {
    return what + " " + path.string() + ": " + std::strerror(err);
}

bool plainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// Opens a folder we just created and proves it is the one we made: a real directory (not a link
// swapped in since mkdir), owned by us, private.
UniqueFd openOwnFolder(const std::filesystem::path& path, std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        error = describe("cannot open temporary folder", path, errno);
        return {};
    }
    // The umask may have narrowed 0700; widen it back to exactly owner-only.
    struct stat st {};
    if (::fchmod(fd.get(), 0700) != 0 || ::fstat(fd.get(), &st) != 0) {
        error = describe("cannot secure temporary folder", path, errno);
        return {};
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0700) {
        error = "temporary folder " + path.string() + " is not a private folder of this user";
        return {};
    }
    return fd;
}

// "<prefix>.<digits>" or "<prefix>.<digits>.<digits>": a name create() gives out.
bool stampedName(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() + 1 || name.substr(0, prefix.size()) != prefix || name[prefix.size()] != '.')
        return false;
    std::string_view rest = name.substr(prefix.size() + 1);
    int parts = 0;
    for (;;) {
        const size_t dot = rest.find('.');
        const std::string_view part = rest.substr(0, dot);
        if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos) return false;
        if (++parts > 2) return false;
        if (dot == std::string_view::npos) return true;
        rest.remove_prefix(dot + 1);
    }
}

// Empties the folder open at `dir` and removes it from `parent`: entries are unlinked themselves
// (a link, never its target), sub-folders opened without following links and emptied the same way.
bool removeTree(int parent, const std::string& name, int depth = 0) {
    constexpr int kMaxDepth = 16;  // the folders we make are flat; anything deeper is not ours
    if (depth > kMaxDepth) return false;
    UniqueFd dir(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.valid()) return false;
    std::vector<std::string> names;
    {
        const DirHandle entries = adoptDirectory(UniqueFd(::dup(dir.get())));
        if (!entries) return false;
        while (const dirent* entry = ::readdir(entries.get())) {
            const std::string_view n = entry->d_name;
            if (n != "." && n != "..") names.emplace_back(n);
        }
    }
    bool ok = true;
    for (const std::string& n : names) {
        struct stat st {};
        if (::fstatat(dir.get(), n.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) ok = removeTree(dir.get(), n, depth + 1) && ok;
        else if (::unlinkat(dir.get(), n.c_str(), 0) != 0 && errno != ENOENT) ok = false;
    }
    return ok && ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
}

// Whether the folder `name` in `parent` is a stale one of ours: a real directory owned by us with
// mode 0700 whose ".owner" nobody holds. The lock taken to find out is kept in `lock` while the
// folder is removed, so no process can claim it meanwhile.
bool staleFolder(int parent, const std::string& name, UniqueFd& lock) {
    UniqueFd dir(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!dir.valid() || ::fstat(dir.get(), &st) != 0) return false;
    if (st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0700) return false;
    lock = UniqueFd(::openat(dir.get(), kOwnerFile, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    // No owner file: a folder of an older version, or one being made right now; left alone.
    if (!lock.valid() || ::fstat(lock.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

size_t TempDir::reclaimStale(std::string_view prefix, std::filesystem::path parent) {
    if (parent.empty()) parent = systemTempRoot();
    UniqueFd root(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.valid() || prefix.empty()) return 0;
    std::vector<std::string> candidates;
    {
        const DirHandle entries = adoptDirectory(UniqueFd(::dup(root.get())));
        if (!entries) return 0;
        while (const dirent* entry = ::readdir(entries.get()))
            if (stampedName(entry->d_name, prefix)) candidates.emplace_back(entry->d_name);
    }
    size_t removed = 0;
    for (const std::string& name : candidates) {
        UniqueFd lock;
        if (staleFolder(root.get(), name, lock) && removeTree(root.get(), name)) ++removed;
    }
    return removed;
}

std::string TempDir::pathText() const { return path_.string(); }
std::string TempDir::pathTextOf(std::string_view name) const { return pathOf(name).string(); }

std::filesystem::path systemTempRoot() {
    const char* tmp = std::getenv("TMPDIR");
    if (tmp != nullptr && tmp[0] == '/') return tmp;
    return "/tmp";
}

std::unique_ptr<TempDir> TempDir::create(std::string_view prefix, std::string_view stamp,
                                         std::string& error, std::filesystem::path parent) {
    if (parent.empty()) parent = systemTempRoot();
    const std::string base = std::string(prefix) + "." + std::string(stamp);
    if (!plainName(base)) {
        error = "invalid temporary folder name \"" + base + "\"";
        return nullptr;
    }
    for (int suffix = 0; suffix <= kMaxSuffix; ++suffix) {
        const std::filesystem::path path =
            parent / (suffix == 0 ? base : base + "." + std::to_string(suffix));
        // mkdir never follows a final symlink: a planted link makes it fail with EEXIST.
        if (::mkdir(path.c_str(), 0700) != 0) {
            if (errno == EEXIST) continue;
            error = describe("cannot create temporary folder", path, errno);
            return nullptr;
        }
        UniqueFd fd = openOwnFolder(path, error);
        if (!fd.valid()) return nullptr;  // not ours after all: leave whatever is there alone
        return std::unique_ptr<TempDir>(new TempDir(path, std::move(fd)));
    }
    error = "no free temporary folder name for " + (parent / base).string();
    return nullptr;
}

std::unique_ptr<TempDir> TempDir::createReclaimable(std::string_view prefix, std::string_view stamp,
                                                    std::string& error, std::filesystem::path parent) {
    std::unique_ptr<TempDir> dir = create(prefix, stamp, error, std::move(parent));
    if (dir && !dir->claimOwnership(error)) return nullptr;  // the destructor removes the folder again
    return dir;
}

// The owner file is locked before it takes its name: a reclaimer that finds ".owner" unlocked
// knows its process is gone, never that it is still starting.
bool TempDir::claimOwnership(std::string& error) {
    UniqueFd fd = createFile(kOwnerStaging, error);
    if (!fd.valid()) return false;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 ||
        ::renameat(dir_.get(), kOwnerStaging, dir_.get(), kOwnerFile) != 0) {
        error = describe("cannot claim temporary folder", path_, errno);
        return false;
    }
    entries_.erase(kOwnerStaging);
    entries_.insert(kOwnerFile);
    owner_ = std::move(fd);
    return true;
}

TempDir::~TempDir() {
    std::string ignored;  // the owner that cares about failures calls remove() itself
    remove(ignored);
}

UniqueFd TempDir::createFile(std::string_view name, std::string& error) {
    if (removed_ || !plainName(name)) {
        error = "invalid temporary file name \"" + std::string(name) + "\"";
        return {};
    }
    const std::string file(name);
    UniqueFd fd(::openat(dir_.get(), file.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid()) {
        error = describe("cannot create", pathOf(name), errno);
        return {};
    }
    entries_.insert(file);
    return fd;
}

bool TempDir::replaceFile(std::string_view name, std::string_view data, std::string& error) {
    if (removed_ || !plainName(name)) {
        error = "invalid temporary file name \"" + std::string(name) + "\"";
        return false;
    }
    const std::string file(name);
    const std::string staged = file + ".new";
    // unlinkat removes a link itself, never its target; ENOENT is the usual case.
    if (::unlinkat(dir_.get(), staged.c_str(), 0) != 0 && errno != ENOENT) {
        error = describe("cannot remove", pathOf(staged), errno);
        return false;
    }
    UniqueFd fd = createFile(staged, error);
    if (!fd.valid()) return false;
    for (size_t done = 0; done < data.size();) {
        const ssize_t n = ::write(fd.get(), data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = describe("cannot write", pathOf(staged), n < 0 ? errno : EIO);
            ::unlinkat(dir_.get(), staged.c_str(), 0);  // best effort: remove() deletes it later too
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd.release()) != 0) {
        error = describe("cannot write", pathOf(staged), errno);
        ::unlinkat(dir_.get(), staged.c_str(), 0);
        return false;
    }
    if (::renameat(dir_.get(), staged.c_str(), dir_.get(), file.c_str()) != 0) {
        error = describe("cannot replace", pathOf(name), errno);
        ::unlinkat(dir_.get(), staged.c_str(), 0);
        return false;
    }
    entries_.insert(file);
    return true;
}

bool TempDir::adopt(std::string_view name, std::string& error) {
    if (removed_ || !plainName(name)) {
        error = "invalid temporary file name \"" + std::string(name) + "\"";
        return false;
    }
    entries_.insert(std::string(name));
    return true;
}

bool TempDir::remove(std::string& error) {
    if (removed_) return true;
    bool ok = true;
    for (auto it = entries_.begin(); it != entries_.end();) {
        // unlinkat without AT_REMOVEDIR removes a symlink itself, never its target.
        if (::unlinkat(dir_.get(), it->c_str(), 0) != 0 && errno != ENOENT) {
            error = describe("cannot remove", pathOf(*it), errno);
            ok = false;
            ++it;
        } else {
            it = entries_.erase(it);
        }
    }
    if (!ok) return false;
    // rmdir refuses a symlink (ENOTDIR) and a folder with foreign entries (ENOTEMPTY).
    if (::rmdir(path_.c_str()) != 0 && errno != ENOENT) {
        error = describe("cannot remove temporary folder", path_, errno);
        return false;
    }
    dir_.reset();
    owner_.reset();
    removed_ = true;
    return true;
}

}  // namespace skimmer::os
