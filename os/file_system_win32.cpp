// The FileSystem seam over Windows' own calls, with POSIX's meaning kept where callers rely on it:
// descriptors are the C runtime's, files stay renamable and deletable while open, a rename
// replaces its target, errors are errno values.
#include "os/file_system.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <random>
#include <thread>

#include "os/system_error.h"
#include "os/wide_text.h"
#include "os/win32_files.h"

namespace skimmer::os {

namespace {

constexpr auto kLockPollInterval = std::chrono::milliseconds(5);
// Windows' locks are mandatory: a locked byte cannot be read or written through any other
// handle. The lock therefore covers one byte far past the end of any real file, where it guards
// nothing but itself, and every holder of the file can still read and write all of it.
constexpr DWORD kLockOffsetHigh = 0x40000000;  // 2^62
constexpr int kTempAttempts = 100;
constexpr size_t kTempLetters = 6;

// O_* flags (the C runtime's values) as CreateFileW's creation disposition.
DWORD dispositionOf(int flags) {
    const bool create = (flags & O_CREAT) != 0, exclusive = (flags & O_EXCL) != 0, truncate = (flags & O_TRUNC) != 0;
    if (create && exclusive) return CREATE_NEW;
    if (create && truncate) return CREATE_ALWAYS;
    if (create) return OPEN_ALWAYS;
    return truncate ? TRUNCATE_EXISTING : OPEN_EXISTING;
}

DWORD accessOf(int flags) {
    switch (flags & (O_RDONLY | O_WRONLY | O_RDWR)) {
        case O_WRONLY: return GENERIC_WRITE;
        case O_RDWR: return GENERIC_READ | GENERIC_WRITE;
        default: return GENERIC_READ;
    }
}

// A file created without the owner's write permission is a read-only file, as the C runtime's
// own _wopen makes it; the other permission bits have no meaning on Windows (the folder's access
// list decides who may read).
int openPath(const std::wstring& path, int flags, unsigned mode, int& fd) {
    const bool created = (flags & O_CREAT) != 0;
    const DWORD attributes = created && (mode & 0200) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    // Opened for reading, a folder opens too (as open(2) allows), so that fstat can tell the
    // caller it is no regular file.
    const bool readOnly = (flags & (O_WRONLY | O_RDWR)) == 0 && !created;
    const DWORD extra = readOnly ? FILE_FLAG_BACKUP_SEMANTICS : 0;
    UniqueHandle handle(::CreateFileW(path.c_str(), accessOf(flags), kShareAll, nullptr, dispositionOf(flags),
                                      attributes | extra, nullptr));
    if (!handle) return lastErrorAsErrno();
    const int crtFlags = (flags & (O_RDONLY | O_WRONLY | O_RDWR)) | (flags & O_APPEND);
    return adoptHandle(std::move(handle), crtFlags, fd);
}

class WindowsFileSystem final : public FileSystem {
public:
    int open(const std::string& path, int flags, unsigned mode, int& fd) override {
        return openPath(widePath(path), flags, mode, fd);
    }
    int close(int fd) override { return ::_close(fd) == 0 ? 0 : errno; }
    int read(int fd, void* buffer, size_t size, size_t& got) override {
        const int n = ::_read(fd, buffer, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
        if (n < 0) return errno;
        got = static_cast<size_t>(n);
        return 0;
    }
    int write(int fd, const void* data, size_t size, size_t& written) override {
        const int n = ::_write(fd, data, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
        if (n < 0) return errno;
        written = static_cast<size_t>(n);
        return 0;
    }
    int fsync(int fd) override { return ::_commit(fd) == 0 ? 0 : errno; }
    int fstat(int fd, FileStat& st) override {
        const HANDLE handle = handleOf(fd);
        if (handle == INVALID_HANDLE_VALUE) return EBADF;
        return statHandle(handle, st);
    }
    int stat(const std::string& path, FileStat& st) override {
        int err = 0;
        const UniqueHandle handle = openForQuery(widePath(path), true, err);
        return err ? err : statHandle(handle.get(), st);
    }
    // Write-through: the call returns once the new name is on the disk, as rename plus a sync of
    // the folder does on Linux. A target held open is replaced too (see win32_files.h).
    int rename(const std::string& from, const std::string& to) override {
        return replaceFile(widePath(from), widePath(to));
    }
    int unlink(const std::string& path) override {
        return ::DeleteFileW(widePath(path).c_str()) ? 0 : lastErrorAsErrno();
    }
    // The mode has no meaning here: a new folder takes its access list from its parent.
    int mkdir(const std::string& path, unsigned) override {
        return ::CreateDirectoryW(widePath(path).c_str(), nullptr) ? 0 : lastErrorAsErrno();
    }
    int lock(int fd, std::chrono::milliseconds timeout) override;
    int makeTemp(std::string& pathTemplate, int& fd) override;
    int syncDirectory(const std::string& path) override;
    int listDirectory(const std::string& path, std::vector<std::string>& names) override;
    int readLink(const std::string& path, std::string& target) override;
};

// LockFileEx can wait, but not for a while only; polling keeps the wait bounded, as on Linux.
// The lock goes with the handle: closed, or its process ended however it ended.
int WindowsFileSystem::lock(int fd, std::chrono::milliseconds timeout) {
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) return EBADF;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return 0;
        const DWORD code = ::GetLastError();
        if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) return errnoFromSystemError(code);
        if (std::chrono::steady_clock::now() >= deadline) return ETIMEDOUT;
        std::this_thread::sleep_for(kLockPollInterval);
    }
}

// The letters are random and the file is created exclusively (CREATE_NEW), so a name someone
// else holds or planted is never opened: another is tried.
int WindowsFileSystem::makeTemp(std::string& pathTemplate, int& fd) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    if (pathTemplate.size() < kTempLetters ||
        pathTemplate.compare(pathTemplate.size() - kTempLetters, kTempLetters, "XXXXXX") != 0)
        return EINVAL;
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string candidate = pathTemplate;
    int err = EEXIST;
    for (int attempt = 0; attempt < kTempAttempts && err == EEXIST; ++attempt) {
        for (size_t i = candidate.size() - kTempLetters; i < candidate.size(); ++i)
            candidate[i] = kLetters[random() % (sizeof kLetters - 1)];
        err = openPath(widePath(candidate), O_RDWR | O_CREAT | O_EXCL, 0600, fd);
    }
    if (err == 0) pathTemplate = candidate;
    return err;
}

// Nothing to do: Windows gives a program no flush of a folder's entries (FlushFileBuffers on a
// folder needs a handle opened for writing, which only an administrator gets), and needs none:
// the file system journals its folders, and every rename here is written through already. What
// is checked is that the folder is there, so a wrong path still fails as it does on Linux.
int WindowsFileSystem::syncDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(widePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastErrorAsErrno();
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ENOTDIR;
}

int WindowsFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
    std::wstring pattern = widePath(path);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    const FindHandle find(::FindFirstFileW(pattern.c_str(), &entry));
    if (!find) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) return errnoFromSystemError(code);
        names.clear();  // a folder with no entries at all (a drive's root)
        return 0;
    }
    std::vector<std::string> found;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..") found.push_back(fromWide(name));
    } while (::FindNextFileW(find.get(), &entry));
    if (const DWORD code = ::GetLastError(); code != ERROR_NO_MORE_FILES) return errnoFromSystemError(code);
    names = std::move(found);
    return 0;
}

// The plug-in makes no links on Windows and follows the system's own where they are: like
// readlink(2) on something that is no link, EINVAL for anything that exists.
int WindowsFileSystem::readLink(const std::string& path, std::string&) {
    if (::GetFileAttributesW(widePath(path).c_str()) == INVALID_FILE_ATTRIBUTES) return lastErrorAsErrno();
    return EINVAL;
}

}  // namespace

FileSystem& realFileSystem() {
    static WindowsFileSystem fs;
    return fs;
}

}  // namespace skimmer::os
