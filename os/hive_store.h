// The hive file on disk: reading it when it changed, and replacing it crash-safely with our
// changes merged onto what other processes wrote.
//
// Contract:
// - The tree (base()) is the file's content as last read plus whatever the owner applied to it
//   in place since (edit()); it is never copied, however large. Whenever a fresh read replaces it,
//   the owner's `Replay` is called at once to put the owner's unsaved changes back on top.
// - refresh() re-reads the file only when its identity (device, inode, size, times) changed. We
//   keep the file we read open, so its inode number cannot be reused by a later replacement and
//   identity comparison stays sound.
// - commit() follows one recipe, in this order: exclusive flock on "<file>.lock" (never replaced,
//   bounded wait) → re-read the file if its identity changed (and replay onto it) → write the tree
//   to "<file>.tmp-XXXXXX" in the same folder (mode 0600) → fsync it → rename it over the file →
//   fsync the folder → unlock. When the file is the one last read, nothing is parsed or merged:
//   the tree already holds the file plus the changes. On any failure before the rename the temp
//   file is removed, the file is untouched, and the error is returned; fsync is never retried on
//   a descriptor whose fsync failed.
// - A file that cannot be parsed is renamed to "<file>.bad-<UTC time>" (under the lock, and only
//   if it is still the same file), reported once through `report`, and replaced by an empty hive.
//   A file of a newer format version is never touched: reads see an empty hive, commits fail.
// - An I/O error while reading keeps the last good view and is not mistaken for damage.
// - A file that is a symbolic link (dotfiles kept in a repository and linked) stays a link: every
//   step above — lock, temp file, rename, folder sync, moving a damaged file aside — happens to the
//   link's final target, in the target's own folder. When that folder cannot be written the save
//   fails and says so; the link is never replaced by a plain file. A link loop is an error.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "os/clock.h"
#include "os/file_system.h"
#include "os/hive_tree.h"

namespace skimmer::os {

inline constexpr std::chrono::milliseconds kHiveLockTimeout{10000};

class HiveStore {
public:
    using Report = std::function<void(const std::string&)>;
    // Puts the owner's unsaved changes back onto a tree just read from the file.
    using Replay = std::function<void(HiveKey&)>;
    HiveStore(std::filesystem::path file, FileSystem& fs, Report report, const Clock& clock);

    const std::filesystem::path& file() const { return file_; }
    const HiveKey& base() const { return base_; }
    // The tree to apply changes to in place; the owner keeps them until a commit writes them.
    HiveKey& edit() { return base_; }
    // Brings base() up to date (replaying onto a fresh read); true when it was read again.
    bool refresh(const Replay& replay);
    // Writes the tree, which holds the owner's changes, to disk; false with a one-line `error` on
    // failure. `applied` tells whether the file now holds the changes: it can be true on failure
    // when only the final folder sync failed, so the changes must not be replayed again. Either
    // way base() is the file as last read plus the changes.
    bool commit(const Replay& replay, std::string& error, bool& applied);
    // True while the file last read names a newer format version (and is therefore read-only).
    bool writtenByNewerVersion() const { return newer_; }

private:
    enum class Load { Same, Loaded, Damaged, Newer, Missing, IoError };
    Load load(bool underLock, std::string& error);
    Load parseOpened(FileHandle fd, const FileStat& st, std::string& error);
    Load markDamaged(const FileStat& st, std::string reason);
    bool moveAside(const std::string& reason);
    int resolveLinks();
    bool ensureFolder(std::string& error);
    void removeStaleTemps();
    bool loadForWrite(const Replay& replay, std::string& error);
    void replayIfFresh(const Replay& replay);
    bool writeReplacement(const std::string& text, FileHandle& written, std::string& error);
    void adopt(FileHandle written);
    std::string describe(int err, const char* step) const;

    std::filesystem::path file_;  // as configured, and as messages name it
    std::string path_;            // file_ with every symbolic link followed: the file we replace
    std::string folder_;          // path_'s folder
    FileSystem& fs_;
    Report report_;
    const Clock& clock_;
    HiveKey base_;
    std::optional<FileStat> identity_;  // of the file base_ came from, none if it was missing
    FileHandle held_;                   // that file, kept open (see the contract)
    std::string damage_;                // the parse error of identity_'s file, if it is damaged
    bool newer_ = false;
    bool newerReported_ = false;
    bool fresh_ = false;  // base_ was just read (or emptied) and the owner's changes are not on it
};

}  // namespace skimmer::os
