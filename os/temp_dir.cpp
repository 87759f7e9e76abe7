#include "os/temp_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace skimmer::os {

namespace {

constexpr int kMaxSuffix = 1000;

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

}  // namespace

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
    removed_ = true;
    return true;
}

}  // namespace skimmer::os
