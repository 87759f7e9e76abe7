#include "os/file_system.h"

#include "os/dir_handle.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace skimmer::os {

namespace {

constexpr auto kLockPollInterval = std::chrono::milliseconds(5);

FileStat fromStat(const struct stat& st) {
    FileStat out;
    out.device = static_cast<uint64_t>(st.st_dev);
    out.inode = static_cast<uint64_t>(st.st_ino);
    out.size = static_cast<uint64_t>(st.st_size);
    out.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    out.ctimeNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    out.isDirectory = S_ISDIR(st.st_mode);
    out.isRegular = S_ISREG(st.st_mode);
    return out;
}

int result(int rc) { return rc == 0 ? 0 : errno; }

class PosixFileSystem final : public FileSystem {
public:
    int open(const std::string& path, int flags, unsigned mode, int& fd) override {
        int got = 0;
        do got = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
        while (got < 0 && errno == EINTR);
        if (got < 0) return errno;
        fd = got;
        return 0;
    }
    int close(int fd) override { return result(::close(fd)); }  // never retried, see unique_fd.h
    int read(int fd, void* buffer, size_t size, size_t& got) override {
        ssize_t n = 0;
        do n = ::read(fd, buffer, size);
        while (n < 0 && errno == EINTR);
        if (n < 0) return errno;
        got = static_cast<size_t>(n);
        return 0;
    }
    int write(int fd, const void* data, size_t size, size_t& written) override {
        ssize_t n = 0;
        do n = ::write(fd, data, size);
        while (n < 0 && errno == EINTR);
        if (n < 0) return errno;
        written = static_cast<size_t>(n);
        return 0;
    }
    int fsync(int fd) override { return result(::fsync(fd)); }
    int fstat(int fd, FileStat& st) override {
        struct stat raw {};
        if (::fstat(fd, &raw) != 0) return errno;
        st = fromStat(raw);
        return 0;
    }
    int stat(const std::string& path, FileStat& st) override {
        struct stat raw {};
        if (::stat(path.c_str(), &raw) != 0) return errno;
        st = fromStat(raw);
        return 0;
    }
    int rename(const std::string& from, const std::string& to) override {
        return result(::rename(from.c_str(), to.c_str()));
    }
    int unlink(const std::string& path) override { return result(::unlink(path.c_str())); }
    int mkdir(const std::string& path, unsigned mode) override {
        return result(::mkdir(path.c_str(), static_cast<mode_t>(mode)));
    }
    int lock(int fd, std::chrono::milliseconds timeout) override;
    int makeTemp(std::string& pathTemplate, int& fd) override {
        const int got = ::mkostemp(pathTemplate.data(), O_CLOEXEC);
        if (got < 0) return errno;
        fd = got;
        return 0;
    }
    int syncDirectory(const std::string& path) override;
    int listDirectory(const std::string& path, std::vector<std::string>& names) override;
    int readLink(const std::string& path, std::string& target) override;
};

// flock has no timeout of its own; polling keeps the wait bounded without signals (an alarm
// would disturb the host's own signal handling).
int PosixFileSystem::lock(int fd, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno != EWOULDBLOCK && errno != EINTR) return errno;
        if (std::chrono::steady_clock::now() >= deadline) return ETIMEDOUT;
        const timespec pause{0, std::chrono::nanoseconds(kLockPollInterval).count()};
        ::nanosleep(&pause, nullptr);
    }
}

int PosixFileSystem::syncDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int rc = result(::fsync(fd));
    ::close(fd);
    return rc;
}

int PosixFileSystem::readLink(const std::string& path, std::string& target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return errno;
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            target = std::move(buffer);
            return 0;
        }
        if (buffer.size() >= (1u << 20)) return ENAMETOOLONG;
        buffer.resize(buffer.size() * 4);  // it may have been cut: read again with more room
    }
}

int PosixFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
    const DirHandle dir = openDirectory(path);
    if (!dir) return errno;
    std::vector<std::string> found;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") found.push_back(name);
    }
    if (errno != 0) return errno;
    names = std::move(found);
    return 0;
}

}  // namespace

FileSystem& realFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace skimmer::os
