// A browser's SQLite database read through a private copy, so that a running browser's lock never
// blocks us and the browser's files are never written.
//
// Why a copy and not an `immutable=1` URI: a running browser keeps recent changes in the -wal
// file, which an immutable open ignores (the newest history would be missing), and an immutable
// open assumes nothing changes under it, so a browser writing meanwhile can make it read garbage.
// A byte copy of the database and its companions, taken while they stand still, is a consistent
// snapshot that SQLite recovers (WAL replay, or rollback of a hot journal) in our private folder.
//
// Contract:
// - The source, its "-wal" and its "-journal" (when present) are only ever opened read-only and
//   without blocking; a source that is not a regular file is refused. The copies are made in the
//   caller's private folder (mode 0700) and removed with it.
// - A set of files that changes while it is copied is copied again, up to kCopyAttempts times.
// - The copy is opened with no busy wait; failures come back as a Status with a one-line reason.
#pragma once

#include "index/storage/sqlite_handle.h"
#include "os/temp_dir.h"

#include <string>
#include <string_view>

namespace skimmer::index::store {

inline constexpr int kCopyAttempts = 3;
static_assert(kCopyAttempts >= 1);

// The companions copied beside a database, by suffix.
inline constexpr const char* kDatabaseCompanions[] = {"-wal", "-journal"};

struct BrowserDbCopy {
    Db db;          // null on failure
    Status status;  // why it failed
};

// Copies `source` (and its companions) into `dir` under names starting with `stem` (a plain file
// name) and opens the copy.
BrowserDbCopy openBrowserCopy(const std::string& source, os::TempDir& dir, std::string_view stem);

// The whole content of a regular file of at most `limit` bytes, read without blocking; a Status
// failure when it is something else, larger or unreadable.
Status readWholeFile(const std::string& path, size_t limit, std::string& out);

}  // namespace skimmer::index::store
