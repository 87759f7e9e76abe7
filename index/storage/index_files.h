// The files that make up one index on disk, and how each is checked before it is opened.
//
// Contract:
// - `IndexFile` names every file the index keeps beside its database (the database, its WAL and
//   shared-memory files, the name sidecar, the crawl lock and the moved-aside copy), so every
//   check walks one list (`indexFilePath` of each).
// - `inspectFile` never opens the file: it looks at it with lstat/stat only, so a FIFO, socket or
//   device in place of an index file can never block the caller. A symbolic link to a regular file
//   counts as regular (SQLite follows it); a dangling link or one to anything else does not.
// - `moveAside` renames a file out of the way without ever replacing something that is not a
//   regular file: it uses "<file>.damaged", or "<file>.damaged.N" when that name is taken by a
//   folder, FIFO or other special file.
// - Nothing throws; failures come back as a Status.
#pragma once

#include "index/storage/sqlite_handle.h"

#include <filesystem>
#include <string>
#include <vector>

namespace skimmer::index::store {

// Suffixes appended to the database's path, one per companion file.
inline constexpr const char* kWalSuffix = "-wal";
inline constexpr const char* kShmSuffix = "-shm";
inline constexpr const char* kSidecarSuffix = ".names";
inline constexpr const char* kLockSuffix = ".lock";
inline constexpr const char* kDamagedSuffix = ".damaged";

enum class IndexFile { Database, Wal, Shm, Sidecar, Lock, Damaged };
inline constexpr int kIndexFileCount = 6;
static_assert(static_cast<int>(IndexFile::Damaged) + 1 == kIndexFileCount);

std::filesystem::path indexFilePath(const std::filesystem::path& database, IndexFile which);

enum class FileShape { Absent, Regular, Special };

struct FileLook {
    FileShape shape = FileShape::Absent;
    std::string what;  // for Special: "a folder", "a FIFO", "a socket", "a device", "a dangling symbolic link", ...
};

FileLook inspectFile(const std::filesystem::path& path);

// "<path> is not a regular file (a FIFO)".
std::string notRegularText(const std::filesystem::path& path, const FileLook& look);

// Renames `path` out of the way as described above; `movedTo` receives the new name.
Status moveAside(const std::filesystem::path& path, std::filesystem::path& movedTo);

// Moves a database aside as above and removes its WAL and shared-memory files, which belong to it
// and would be read into a fresh database made at the same path.
Status moveDatabaseAside(const std::filesystem::path& database, std::filesystem::path& movedTo);

}  // namespace skimmer::index::store
