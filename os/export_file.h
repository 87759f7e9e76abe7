// Files the search-folder panel writes and reads on disk: whole files put in place in one step
// (a search folder's file, a copied hit), folders, and what an entry of a folder is.
//
// Contract:
// - A file is written beside its target under a temporary name and renamed into place only when
//   complete, so a failure (disk full, I/O error, a crash) never leaves a partial file under the
//   target's name; the temporary file is removed on failure. Without `replace` an existing target
//   is never replaced (EEXIST), even one that appeared after the caller looked.
// - A new file, written or copied, is created as any new file is: 0666 less the user's umask (not
//   owner-only as a temporary file would be), so an exported file is as readable as one saved by hand.
// - Every read, write, rename and unlink goes through the FileSystem seam, so tests can fail any
//   of them. Return values are 0 or an errno value; `error` gets a one-line reason naming the path.
// - Sources are opened without blocking and must be regular files: a FIFO or a device is refused,
//   never waited on.
// - Times are FILETIME ticks (UTC). Linux keeps no settable creation time, so the creation time
//   travels in the extended attribute "user.skimmer.created" where the file system has them;
//   elsewhere a found entry's creation time is its last-write time. Windows keeps all three times
//   itself (SetFileTime on the finished file, before it takes its name).
// - On Windows a device name ("CON", "\\.\COM1") is refused as a source before any open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/file_system.h"

namespace skimmer::os {

inline constexpr const char* kCreatedAttribute = "user.skimmer.created";

struct EntryTimes {
    uint64_t created = 0;
    uint64_t accessed = 0;
    uint64_t modified = 0;
    bool operator==(const EntryTimes&) const = default;
};

// One entry as a directory listing shows it (symbolic links are not followed).
struct FoundEntry {
    bool directory = false;
    bool hidden = false;    // Linux: the name starts with "."; Windows: the hidden attribute
    bool readOnly = false;  // Linux: no write permission for anyone; Windows: the read-only attribute
    uint64_t size = 0;
    EntryTimes times;
};

// `ownAttribute`: look for the creation time in our extended attribute (files we wrote); without
// it, one system call fewer (the hits of a search, by the thousand). Windows answers all of it
// from one GetFileAttributesExW and ignores the flag.
std::optional<FoundEntry> findEntry(const std::string& path, bool ownAttribute = true);

// True for an error (errno, as the functions below return) that every later write would meet too:
// the disk is full or over quota (Windows reports a quota as ENOSPC), failing, or read-only. A copy of many files stops at it.
bool endsEveryWrite(int err);
// Writes `bytes` as the file `path`, giving it `times` when not null.
int writeWholeFile(FileSystem& fs, const std::string& path, std::string_view bytes, const EntryTimes* times,
                   bool replace, std::string& error);
// Copies the regular file `from` to `to`, keeping its access and write times.
int copyWholeFile(FileSystem& fs, const std::string& from, const std::string& to, bool replace, std::string& error);
// Creates the folder `path`; an existing folder is fine, anything else in its place is EEXIST.
int makeFolder(FileSystem& fs, const std::string& path, std::string& error);
// The names in a folder, without "." and "..".
int listFolder(FileSystem& fs, const std::string& path, std::vector<std::string>& names, std::string& error);

}  // namespace skimmer::os
