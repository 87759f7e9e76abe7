// Opening the index database for reading, the same way for every object of the index's face.
//
// Contract: never creates the file; sets a short busy timeout (kBusyWaitMs) so a reader that meets
// a lock waits briefly and then fails with kIndexBusy instead of blocking its caller; refuses to
// write (query_only) and never checkpoints on close. Throws SafecallError: kIndexMissing when the
// file does not exist, kIndexDamaged when it or its WAL or shared-memory file is not a regular file
// (checked without opening, so a FIFO there never blocks).
#pragma once

#include "index/storage/sqlite_handle.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace skimmer::index::query {

inline constexpr int kBusyWaitMs = 100;

// "Now" in Unix seconds; injected so that relative dates are testable.
using Clock = std::function<int64_t()>;
Clock systemClock();

store::Db openForReading(const std::filesystem::path& file);

// Throws SafecallError as above unless `file` exists and it and its companions are regular files;
// opens nothing.
void requireIndexFile(const std::filesystem::path& file);

// A meta value read in its own statement; none when absent. Throws SafecallError on failure.
std::optional<std::string> readMeta(sqlite3* db, const char* key);

}  // namespace skimmer::index::query
