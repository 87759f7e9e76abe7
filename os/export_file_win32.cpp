// The panel's whole-file writes and folder questions on Windows: the entry's own attribute bits
// and its three times, kept by the file system itself.
#include "os/export_file.h"

#include <fcntl.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "os/export_file_support.h"
#include "os/system_error.h"
#include "os/win32_files.h"

namespace skimmer::os {

namespace {

using export_detail::describe;
using export_detail::writeAll;

constexpr size_t kCopyChunk = 64 * 1024;
// Names tried for a temporary file before giving up: one is taken only when a crashed run of a
// process with the same id left it behind.
constexpr int kTempAttempts = 100;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash == 0 || (slash == 2 && path[1] == ':') ? slash + 1 : slash);
}

// Times are set by name once the file is closed and before it is renamed: a write after them
// would move the write time again, and the file appears complete, times and all. A file system
// without settable times keeps the file's own: not an error.
void applyTimes(const std::string& path, const EntryTimes& times) {
    const UniqueHandle file(::CreateFileW(widePath(path).c_str(), FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return;
    const FILETIME created = fileTimeOf(times.created), accessed = fileTimeOf(times.accessed),
                   modified = fileTimeOf(times.modified);
    ::SetFileTime(file.get(), &created, &accessed, &modified);
}

// The temporary file beside `path`, owned until it is renamed into place.
class PendingFile {
public:
    PendingFile(FileSystem& fs, const std::string& path) : fs_(fs), target_(path) {}
    ~PendingFile() {
        file_.reset();  // closed before the unlink
        if (!temp_.empty()) fs_.unlink(temp_);
    }
    int open(std::string& error) {
        static std::atomic<unsigned> counter{0};
        int err = EEXIST;
        int fd = -1;
        for (int attempt = 0; attempt < kTempAttempts && err == EEXIST; ++attempt) {
            temp_ = folderOf(target_) + "\\.skimmer-part-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(counter.fetch_add(1));
            err = fs_.open(temp_, O_RDWR | O_CREAT | O_EXCL, 0666, fd);
        }
        if (err) {
            temp_.clear();
            error = describe(err, "cannot create a file in the folder of", target_);
            return err;
        }
        file_ = FileHandle(fs_, fd);
        return 0;
    }
    int fd() const { return file_.get(); }
    // Without `replace` the move itself refuses an existing target, so a file that appeared after
    // the caller looked is never replaced either.
    int finish(const EntryTimes* times, bool replace, std::string& error) {
        int err = file_.reset();
        if (!err && times) applyTimes(temp_, *times);
        if (!err) {
            if (replace) err = fs_.rename(temp_, target_);
            else if (!::MoveFileExW(widePath(temp_).c_str(), widePath(target_).c_str(), MOVEFILE_WRITE_THROUGH))
                err = lastErrorAsErrno();
        }
        if (err) {
            error = describe(err, "cannot write", target_);
            return err;
        }
        temp_.clear();
        return 0;
    }

private:
    FileSystem& fs_;
    std::string target_;
    std::string temp_;
    FileHandle file_;
};

}  // namespace

std::optional<FoundEntry> findEntry(const std::string& path, bool) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    FoundEntry entry;
    entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    entry.times.created = ticksOf(data.ftCreationTime);
    entry.times.accessed = ticksOf(data.ftLastAccessTime);
    entry.times.modified = ticksOf(data.ftLastWriteTime);
    return entry;
}

int writeWholeFile(FileSystem& fs, const std::string& path, std::string_view bytes, const EntryTimes* times,
                   bool replace, std::string& error) {
    PendingFile file(fs, path);
    if (int err = file.open(error)) return err;
    if (int err = writeAll(fs, file.fd(), bytes.data(), bytes.size())) {
        error = describe(err, "cannot write", path);
        return err;
    }
    return file.finish(times, replace, error);
}

int copyWholeFile(FileSystem& fs, const std::string& from, const std::string& to, bool replace, std::string& error) {
    if (namesDevice(from)) {  // opening a device can have effects: refused before any open
        error = describe(EINVAL, "not a regular file:", from);
        return EINVAL;
    }
    int in = -1;
    if (int err = fs.open(from, O_RDONLY, 0, in)) {
        error = describe(err, "cannot open", from);
        return err;
    }
    FileHandle source(fs, in);
    FileStat st;
    if (int err = fs.fstat(in, st)) {
        error = describe(err, "cannot read", from);
        return err;
    }
    if (!st.isRegular) {
        error = describe(EINVAL, "not a regular file:", from);
        return EINVAL;
    }
    PendingFile file(fs, to);
    if (int err = file.open(error)) return err;
    std::string buffer(kCopyChunk, '\0');
    for (;;) {
        size_t got = 0;
        if (int err = fs.read(in, buffer.data(), buffer.size(), got)) {
            error = describe(err, "cannot read", from);
            return err;
        }
        if (got == 0) break;
        if (int err = writeAll(fs, file.fd(), buffer.data(), got)) {
            error = describe(err, "cannot write", to);
            return err;
        }
    }
    const std::optional<FoundEntry> entry = findEntry(from);
    return file.finish(entry ? &entry->times : nullptr, replace, error);
}

// Windows has no EDQUOT: a quota exceeded arrives as ENOSPC (os/system_error.h).
bool endsEveryWrite(int err) { return err == ENOSPC || err == EIO || err == EROFS; }

}  // namespace skimmer::os
