#include "os/export_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "os/clock.h"
#include "os/export_file_support.h"

namespace skimmer::os {

namespace {

using export_detail::describe;
using export_detail::writeAll;

constexpr size_t kCopyChunk = 64 * 1024;

uint64_t ticks(const struct timespec& ts) { return fileTimeFromUnix({ts.tv_sec, static_cast<int32_t>(ts.tv_nsec)}); }

struct timespec timespecOf(uint64_t fileTime) {
    const UnixTime t = unixFromFileTime(fileTime);
    struct timespec ts {};
    ts.tv_sec = t.seconds;
    ts.tv_nsec = t.nanoseconds;
    return ts;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Times are set on the descriptor before the rename, so the file appears complete, times and all.
void applyTimes(int fd, const EntryTimes& times) {
    const struct timespec both[2] = {timespecOf(times.accessed), timespecOf(times.modified)};
    ::futimens(fd, both);  // a file system without settable times keeps the file's own: not an error
    const uint64_t created = times.created;
    ::fsetxattr(fd, kCreatedAttribute, &created, sizeof created, 0);  // as above
}

// Names tried for a temporary file before giving up: one is taken only when a crashed run of a
// process with the same id left it behind.
constexpr int kTempAttempts = 100;

// The temporary file beside `path`, owned until it is renamed into place.
class PendingFile {
public:
    PendingFile(FileSystem& fs, const std::string& path) : fs_(fs), target_(path) {}
    ~PendingFile() {
        file_.reset();  // closed before the unlink
        if (!temp_.empty()) fs_.unlink(temp_);
    }
    // The file is created as any new file is (0666 less the user's umask), not owner-only as a
    // mkstemp file would be: a copied or exported file must be as readable as one saved by hand.
    int open(std::string& error) {
        static std::atomic<unsigned> counter{0};
        int err = EEXIST;
        int fd = -1;
        for (int attempt = 0; attempt < kTempAttempts && err == EEXIST; ++attempt) {
            temp_ = folderOf(target_) + "/.skimmer-part-" + std::to_string(::getpid()) + "-" +
                    std::to_string(counter.fetch_add(1));
            err = fs_.open(temp_, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666, fd);
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
    int finish(bool replace, std::string& error) {
        int err = file_.reset();
        if (!err) {
            if (replace) err = fs_.rename(temp_, target_);
            else if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) err = errno;
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

std::optional<FoundEntry> findEntry(const std::string& path, bool ownAttribute) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    FoundEntry entry;
    entry.directory = S_ISDIR(st.st_mode);
    const size_t slash = path.rfind('/');
    entry.hidden = path[slash == std::string::npos ? 0 : slash + 1] == '.';
    entry.readOnly = (st.st_mode & 0222) == 0;
    entry.size = static_cast<uint64_t>(st.st_size);
    entry.times.accessed = ticks(st.st_atim);
    entry.times.modified = ticks(st.st_mtim);
    uint64_t created = 0;
    const ssize_t got = ownAttribute ? ::lgetxattr(path.c_str(), kCreatedAttribute, &created, sizeof created) : -1;
    entry.times.created = got == static_cast<ssize_t>(sizeof created) ? created : entry.times.modified;
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
    if (times) applyTimes(file.fd(), *times);
    return file.finish(replace, error);
}

int copyWholeFile(FileSystem& fs, const std::string& from, const std::string& to, bool replace, std::string& error) {
    int in = -1;
    if (int err = fs.open(from, O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0, in)) {
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
    if (auto entry = findEntry(from)) applyTimes(file.fd(), entry->times);
    return file.finish(replace, error);
}

bool endsEveryWrite(int err) { return err == ENOSPC || err == EDQUOT || err == EIO || err == EROFS; }

}  // namespace skimmer::os
