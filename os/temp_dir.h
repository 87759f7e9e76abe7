// The plug-in's private temporary folder: "<prefix>.<stamp>" under $TMPDIR (else /tmp; on
// Windows the user's temporary folder).
//
// Contract:
// - The folder is created by this process with mode 0700, opened with O_NOFOLLOW|O_DIRECTORY and
//   checked to be a directory owned by us with mode 0700 before it is used; a name that already
//   exists (another instance with the same stamp, or a planted symlink) is never reused: a numeric
//   suffix ".1", ".2", ... is tried instead.
// - Entries are created relative to the folder's descriptor, exclusively and without following
//   links. remove() deletes only the entries this object created or adopted, then the folder if it
//   is empty; it never follows a link and never deletes anything else. The destructor calls remove().
// - A folder made by createReclaimable() holds, while the object lives, ".owner", a file this process keeps an exclusive
//   flock on; the lock dies with the process however it ends (a killed host too). It appears
//   already locked (made under another name, locked, then renamed), so a folder whose ".owner" can
//   be locked has no living owner.
// - reclaimStale() removes such folders of a killed process at start: only "<prefix>.<digits>"
//   (and ".<n>" suffixed) folders that are real directories owned by us with mode 0700 and hold an
//   ".owner" nobody locks; it never follows a link, neither to reach a folder nor inside one.
// - Errors are returned as text (std::nullopt / false plus `error`); nothing throws.
// - On Windows the same promises hold with Windows' means: the folder is made under GetTempPathW
//   (the user's own temporary folder, whose access list it inherits: no other user may enter); it
//   is held open without delete sharing while the object lives, so nobody can rename or remove it
//   from under us; a name that exists (a file, folder or link) is never reused; entries are created
//   with CREATE_NEW and removed without following a link. ".owner" is created already held open
//   without delete sharing (one call, so it never exists unheld), and a folder whose ".owner" can be
//   opened for deletion has no living owner. Descriptors are the C runtime's.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "os/unique_fd.h"

namespace skimmer::os {

class TempDir {
public:
    // Creates the folder in `parent` (empty: systemTempRoot()). None on failure, with `error` set.
    static std::unique_ptr<TempDir> create(std::string_view prefix, std::string_view stamp,
                                           std::string& error, std::filesystem::path parent = {});
    // The same, marked with ".owner" so that reclaimStale() can tell when its process is gone. Only
    // a folder whose listing nobody reads needs it: the mark is an entry of the folder like any other.
    static std::unique_ptr<TempDir> createReclaimable(std::string_view prefix, std::string_view stamp,
                                                      std::string& error, std::filesystem::path parent = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path pathOf(std::string_view name) const { return path_ / std::string(name); }
    // The same as the plug-in's narrow text: the bytes on Linux, the ANSI code page on Windows
    // (where path::string() would give UTF-8).
    std::string pathText() const;
    std::string pathTextOf(std::string_view name) const;

    // A new regular file `name` (a plain file name, no '/'), created exclusively with mode 0600;
    // the returned descriptor is the caller's. Invalid on failure, with `error` set.
    UniqueFd createFile(std::string_view name, std::string& error);

    // Puts `data` in the regular file `name` (a plain file name), replacing the one there in one
    // rename: a reader sees the old contents or the new, never a part, and a failed write leaves
    // the old file as it was. The new contents go to "<name>.new" first (created exclusively with
    // mode 0600, never through a link); a leftover of an earlier failure is removed before.
    bool replaceFile(std::string_view name, std::string_view data, std::string& error);

    // Marks an entry that someone else created inside the folder as ours to delete.
    bool adopt(std::string_view name, std::string& error);

    // Deletes our entries and then the folder. False (with `error`) when something could not be
    // removed, e.g. a file someone else put there keeps the folder alive.
    bool remove(std::string& error);

    // Removes the folders "<prefix>.<stamp>" in `parent` (empty: systemTempRoot()) that a process
    // now dead left behind (see the contract); answers how many went.
    static size_t reclaimStale(std::string_view prefix, std::filesystem::path parent = {});

private:
    TempDir(std::filesystem::path path, UniqueFd dir) : path_(std::move(path)), dir_(std::move(dir)) {}
    bool claimOwnership(std::string& error);

    std::filesystem::path path_;
    UniqueFd dir_;
    UniqueFd owner_;  // ".owner", locked while this object lives
    std::set<std::string> entries_;
    bool removed_ = false;
};

// $TMPDIR when set to an absolute path, else /tmp. On Windows GetTempPathW (TMP, TEMP, the profile).
std::filesystem::path systemTempRoot();

}  // namespace skimmer::os
