// The file-system seam: every file operation of the registry hive goes through this interface, so
// that tests can fail any call (ENOSPC on the fourth write, EIO on fsync), stop after any call
// (a simulated crash) or forget what was never synced (power loss).
//
// Contract: each call returns 0 or an errno value and sets its out-parameters only on success.
// Paths are plain byte strings. Descriptors returned by open() and makeTemp() belong to the caller,
// who gives them back through close() (a FileHandle does it). The real implementation retries
// read/write on EINTR but never close; it never follows a final symlink where a call says so.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace skimmer::os {

// What tells two versions of a file apart: a replaced file has a new inode (we keep the old one
// open while we rely on it, so its number cannot be reused), an edited one a new size or time.
struct FileStat {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    bool isDirectory = false;
    bool isRegular = false;
    bool operator==(const FileStat&) const = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual int open(const std::string& path, int flags, unsigned mode, int& fd) = 0;  // O_* flags
    virtual int close(int fd) = 0;
    virtual int read(int fd, void* buffer, size_t size, size_t& got) = 0;  // got 0: end of file
    virtual int write(int fd, const void* data, size_t size, size_t& written) = 0;
    virtual int fsync(int fd) = 0;
    virtual int fstat(int fd, FileStat& st) = 0;
    virtual int stat(const std::string& path, FileStat& st) = 0;
    virtual int rename(const std::string& from, const std::string& to) = 0;
    virtual int unlink(const std::string& path) = 0;
    virtual int mkdir(const std::string& path, unsigned mode) = 0;
    // An exclusive advisory lock (flock) on `fd`, waiting at most `timeout`; ETIMEDOUT after that.
    virtual int lock(int fd, std::chrono::milliseconds timeout) = 0;
    // A new file from `pathTemplate` (ending in "XXXXXX", replaced in place): mode 0600, O_CLOEXEC,
    // opened for reading and writing.
    virtual int makeTemp(std::string& pathTemplate, int& fd) = 0;
    // fsync of the folder itself, so that entries created or renamed in it are durable.
    virtual int syncDirectory(const std::string& path) = 0;
    virtual int listDirectory(const std::string& path, std::vector<std::string>& names) = 0;
    // The target of the symbolic link `path` as stored in the link; EINVAL when `path` is not a link.
    virtual int readLink(const std::string& path, std::string& target) = 0;
};

// The system's implementation (file_system_posix.cpp, file_system_win32.cpp). Lives for the whole
// process; safe to use from several threads. On Windows: descriptors are the C runtime's, flags
// its O_* values (O_RDONLY, O_WRONLY, O_RDWR, O_CREAT, O_EXCL, O_TRUNC, O_APPEND; handles are never
// inherited, every file is binary); files are opened sharing read, write and delete, so a file held
// open can still be deleted or replaced by rename (which writes through; a held target is renamed
// aside first, see os/win32_files.h); the lock guards a byte past the end of the file (Windows'
// locks bar other handles from the bytes they cover); syncDirectory only checks that the folder
// exists; readLink is EINVAL for whatever exists.
FileSystem& realFileSystem();

// Owns one descriptor of a FileSystem and closes it through that FileSystem.
class FileHandle {
public:
    FileHandle() = default;
    FileHandle(FileSystem& fs, int fd) : fs_(&fs), fd_(fd) {}
    ~FileHandle() { reset(); }
    FileHandle(FileHandle&& other) noexcept
        : fs_(other.fs_), fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            reset();
            fs_ = other.fs_;
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and returns close()'s result (0 when nothing was open).
    int reset() {
        if (fd_ < 0) return 0;
        return fs_->close(std::exchange(fd_, -1));
    }

private:
    FileSystem* fs_ = nullptr;
    int fd_ = -1;
};

// Whole-file helpers over any FileSystem: read until end of file (at most `limit` bytes: beyond it
// `tooLarge` is set and the result is 0 with `out` untouched), write everything (short writes
// continued). `expected` (the size fstat gave) lets a file be read in one call into one buffer.
int readAll(FileSystem& fs, int fd, std::string& out, size_t limit, bool& tooLarge, size_t expected = 0);
int writeAll(FileSystem& fs, int fd, const std::string& data);

}  // namespace skimmer::os
