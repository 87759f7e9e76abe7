#include "os/hive_store.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "os/hive_format.h"

namespace skimmer::os {

namespace {

constexpr int kMaxAsideSuffix = 100;
// As many links as the kernel follows in one path before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;

std::string reasonOf(int err) {
    switch (err) {
        case ENOSPC: return "disk full";
        case EDQUOT: return "disk quota exceeded";
        case EIO: return "I/O error";
        case EFBIG: return "file too large";
        case EROFS: return "read-only file system";
        case EACCES:
        case EPERM: return "permission denied";
        case ETIMEDOUT: return "locked by another process for too long";
        default: return std::strerror(err);
    }
}

std::string utcStamp(UnixTime t) {
    const int64_t days = (t.seconds >= 0 ? t.seconds : t.seconds - 86399) / 86400;
    const int64_t secondOfDay = t.seconds - days * 86400;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04lld%02u%02uT%02lld%02lld%02lldZ", static_cast<long long>(year),
                  month, day, static_cast<long long>(secondOfDay / 3600),
                  static_cast<long long>(secondOfDay / 60 % 60), static_cast<long long>(secondOfDay % 60));
    return buffer;
}

// The folder that holds `file` ("." for a bare name). Built as a new string rather than by assigning
// "." over an empty one: GCC 12 at -O3 misreads that assignment as an overlapping copy
// (-Wrestrict, a false positive of that compiler) and a warnings-as-errors build stops.
std::string folderOf(const std::filesystem::path& file) {
    std::string folder = file.parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

}  // namespace

HiveStore::HiveStore(std::filesystem::path file, FileSystem& fs, Report report, const Clock& clock)
    : file_(std::move(file)), path_(file_.string()), folder_(folderOf(file_)), fs_(fs), report_(std::move(report)),
      clock_(clock) {}

std::string HiveStore::describe(int err, const char* step) const {
    const std::string linked = path_ == file_.string() ? "" : " (a link to " + path_ + ")";
    return "cannot save " + file_.string() + linked + " (" + step + "): " + reasonOf(err);
}

// Follows file_ through every symbolic link to the file that is really replaced; a missing final
// target is where a new file will be created. Done before every save and every move aside, since
// the user may re-point the link at any time.
int HiveStore::resolveLinks() {
    std::string path = file_.string();
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        std::string target;
        const int err = fs_.readLink(path, target);
        if (err == EINVAL || err == ENOENT) {
            path_ = path;
            folder_ = folderOf(path_);
            return 0;
        }
        if (err != 0) return err;
        if (target.empty()) return ENOENT;
        path = target.front() == '/' ? target : (std::filesystem::path(folderOf(path)) / target).string();
    }
    return ELOOP;
}

HiveStore::Load HiveStore::load(bool underLock, std::string& error) {
    // Reading follows links by itself; only replacing and moving aside need the resolved target.
    FileStat st;
    const int err = fs_.stat(file_.string(), st);
    const bool wasMissing = !identity_ && !newer_ && damage_.empty();
    if (err == ENOENT) {
        // Still missing: the tree is the empty hive plus the owner's changes, as it was.
        if (wasMissing) return Load::Same;
        base_ = HiveKey{};
        fresh_ = true;
        identity_.reset();
        held_.reset();
        damage_.clear();
        newer_ = false;
        return Load::Missing;
    }
    if (err != 0) {
        error = describe(err, "reading");
        return Load::IoError;
    }
    if (identity_ && *identity_ == st) {
        // Unchanged. Only a writer needs to hear again why it cannot simply replace the file.
        if (!underLock) return Load::Same;
        return newer_ ? Load::Newer : !damage_.empty() ? Load::Damaged : Load::Same;
    }
    // A FIFO or device planted there must neither block us nor be read: it is damage like any other.
    if (!st.isRegular) return markDamaged(st, "not a regular file");
    int fd = -1;
    if (const int openErr = fs_.open(file_.string(), O_RDONLY | O_NONBLOCK, 0, fd)) {
        error = describe(openErr, "reading");
        return Load::IoError;
    }
    FileHandle handle(fs_, fd);
    FileStat actual;
    if (const int statErr = fs_.fstat(fd, actual)) {
        error = describe(statErr, "reading");
        return Load::IoError;
    }
    if (!actual.isRegular) return markDamaged(actual, "not a regular file");
    return parseOpened(std::move(handle), actual, error);
}

HiveStore::Load HiveStore::markDamaged(const FileStat& st, std::string reason) {
    identity_ = st;
    held_.reset();
    base_ = HiveKey{};
    fresh_ = true;
    newer_ = false;
    damage_ = std::move(reason);
    return Load::Damaged;
}

HiveStore::Load HiveStore::parseOpened(FileHandle handle, const FileStat& st, std::string& error) {
    std::string text;
    HiveParse parsed;
    bool tooLarge = st.size > kMaxHiveFileBytes;
    const int err = tooLarge ? 0 : readAll(fs_, handle.get(), text, kMaxHiveFileBytes, tooLarge, st.size);
    if (err == 0 && tooLarge) {
        parsed.outcome = HiveParse::Outcome::Damaged;
        parsed.reason = "larger than " + std::to_string(kMaxHiveFileBytes >> 20) + " MiB";
    } else if (err != 0) {
        error = describe(err, "reading");
        return Load::IoError;
    } else {
        parsed = parseHive(text);
    }
    identity_ = st;
    held_ = std::move(handle);
    base_ = HiveKey{};
    fresh_ = true;
    newer_ = parsed.outcome == HiveParse::Outcome::NewerVersion;
    damage_.clear();
    switch (parsed.outcome) {
        case HiveParse::Outcome::Ok: base_ = std::move(parsed.root); return Load::Loaded;
        case HiveParse::Outcome::NewerVersion:
            if (!newerReported_ && report_)
                report_("The settings file " + file_.string() + " was written by a newer version of Skimmer (\"" +
                        parsed.reason + "\"). It is left untouched: the defaults are used, and settings cannot be "
                        "saved until that version saves them or the file is removed.");
            newerReported_ = true;
            return Load::Newer;
        case HiveParse::Outcome::Damaged:
            damage_ = parsed.line > 0 ? "line " + std::to_string(parsed.line) + ": " + parsed.reason : parsed.reason;
            return Load::Damaged;
    }
    return Load::Damaged;
}

void HiveStore::replayIfFresh(const Replay& replay) {
    if (!fresh_) return;
    fresh_ = false;
    if (replay) replay(base_);
}

bool HiveStore::refresh(const Replay& replay) {
    std::string ignored;  // an unreadable file keeps the last good view; commit() reports it
    const Load result = load(false, ignored);
    replayIfFresh(replay);
    if (result == Load::Damaged) {
        // Move it aside under the lock, and only if no writer has replaced it in between. A link
        // whose target cannot be found leaves the damage for the next save to report.
        const FileStat damaged = *identity_;
        int fd = -1;
        if (resolveLinks() == 0 && fs_.open(path_ + ".lock", O_RDWR | O_CREAT, 0600, fd) == 0) {
            FileHandle lock(fs_, fd);
            FileStat now;
            if (fs_.lock(fd, kHiveLockTimeout) == 0 && fs_.stat(path_, now) == 0 && now == damaged &&
                moveAside(damage_)) {
                identity_.reset();
                held_.reset();
                damage_.clear();
            }
        }
    }
    return result != Load::Same && result != Load::IoError;
}

bool HiveStore::moveAside(const std::string& reason) {
    const std::string base = path_ + ".bad-" + utcStamp(clock_.now());
    for (int i = 0; i <= kMaxAsideSuffix; ++i) {
        const std::string target = i == 0 ? base : base + "-" + std::to_string(i);
        FileStat st;
        const int err = fs_.stat(target, st);
        if (err == 0) continue;
        const int renameErr = err == ENOENT ? fs_.rename(path_, target) : err;
        if (renameErr == 0) {
            fs_.syncDirectory(folder_);  // best effort: losing the move only brings the damage back
            if (report_)
                report_("The settings file " + file_.string() + " could not be read (" + reason + "); it was moved to " +
                        target + " and the defaults are used");
            return true;
        }
        if (report_)
            report_("The settings file " + file_.string() + " could not be read (" + reason +
                    ") and could not be moved aside: " + reasonOf(renameErr));
        return false;
    }
    return false;
}

bool HiveStore::ensureFolder(std::string& error) {
    FileStat st;
    if (fs_.stat(folder_, st) == 0) {
        if (st.isDirectory) return true;
        error = "cannot save " + file_.string() + ": " + folder_ + " is not a folder";
        return false;
    }
    if (path_ != file_.string()) {  // a link's target folder is the user's: we never make it up
        error = "cannot save " + file_.string() + ": it links to " + path_ + ", whose folder does not exist";
        return false;
    }
    std::filesystem::path prefix;
    for (const auto& part : std::filesystem::path(folder_)) {
        prefix /= part;
        if (fs_.stat(prefix.string(), st) == 0) continue;
        const int err = fs_.mkdir(prefix.string(), 0700);
        if (err != 0 && err != EEXIST) {
            error = describe(err, ("creating " + prefix.string()).c_str());
            return false;
        }
    }
    return true;
}

// Under the lock every writer removes its own temp file before unlocking, so any temp file seen
// here belongs to a writer that died; removing it keeps crashes from piling up files. A failure
// only leaves a stray file behind, which the next save tries again.
void HiveStore::removeStaleTemps() {
    std::vector<std::string> names;
    if (fs_.listDirectory(folder_, names) != 0) return;
    const std::string prefix = std::filesystem::path(path_).filename().string() + ".tmp-";
    for (const std::string& name : names)
        if (name.compare(0, prefix.size(), prefix) == 0) fs_.unlink(folder_ + "/" + name);
}

bool HiveStore::writeReplacement(const std::string& text, FileHandle& written, std::string& error) {
    std::string temp = path_ + ".tmp-XXXXXX";
    int fd = -1;
    if (const int err = fs_.makeTemp(temp, fd)) {
        error = describe(err, "creating a temporary file");
        return false;
    }
    FileHandle handle(fs_, fd);
    // Closing first: after a failed fsync the descriptor's state is unknown and must not be reused.
    const auto discard = [&](int err, const char* step) {
        handle.reset();
        fs_.unlink(temp);  // if this fails too, removeStaleTemps() clears it at the next save
        error = describe(err, step);
        return false;
    };
    if (const int err = writeAll(fs_, fd, text)) return discard(err, "writing");
    if (const int err = fs_.fsync(fd)) return discard(err, "flushing to disk");
    if (const int err = fs_.rename(temp, path_)) return discard(err, "replacing the file");
    written = std::move(handle);
    return true;
}

// The file under the lock, as the base to merge onto: false when it may not be replaced. A
// damaged file leaves the empty hive (plus the changes) as the base once it is moved aside.
bool HiveStore::loadForWrite(const Replay& replay, std::string& error) {
    const Load result = load(true, error);
    replayIfFresh(replay);
    switch (result) {
        case Load::IoError: return false;
        case Load::Newer: error = "cannot save " + file_.string() + ": it was written by a newer version"; return false;
        case Load::Damaged:
            if (!moveAside(damage_)) {
                error = "cannot save " + file_.string() + ": it is damaged and could not be moved aside";
                return false;
            }
            identity_.reset();
            held_.reset();
            damage_.clear();
            return true;
        default: return true;
    }
}

bool HiveStore::commit(const Replay& replay, std::string& error, bool& applied) {
    applied = false;
    if (const int err = resolveLinks()) {
        error = describe(err, "following its link");
        return false;
    }
    if (!ensureFolder(error)) return false;
    int fd = -1;
    if (const int err = fs_.open(path_ + ".lock", O_RDWR | O_CREAT, 0600, fd)) {
        error = describe(err, "opening the lock file");
        return false;
    }
    const FileHandle lock(fs_, fd);  // closing it releases the lock, also on every early return
    if (const int err = fs_.lock(fd, kHiveLockTimeout)) {
        error = describe(err, "waiting for the lock");
        return false;
    }
    if (!loadForWrite(replay, error)) return false;
    const std::string text = serializeHive(base_, identity_ ? static_cast<size_t>(identity_->size) + 4096 : 0);
    if (text.size() > kMaxHiveFileBytes) {
        error = "cannot save " + file_.string() + ": it would grow beyond " + std::to_string(kMaxHiveFileBytes >> 20) + " MiB";
        return false;
    }
    removeStaleTemps();
    FileHandle written;
    if (!writeReplacement(text, written, error)) return false;
    applied = true;
    adopt(std::move(written));
    if (const int err = fs_.syncDirectory(folder_)) {
        error = describe(err, "syncing its folder; the change may not survive a power loss");
        return false;
    }
    return true;
}

// The file we just put in place, which holds exactly base_, becomes the one our view comes from.
void HiveStore::adopt(FileHandle written) {
    FileStat st;
    if (fs_.fstat(written.get(), st) == 0) {
        identity_ = st;
        held_ = std::move(written);
    } else {
        identity_.reset();  // unknown: the next refresh simply reads the file again
        held_.reset();
    }
}

}  // namespace skimmer::os
