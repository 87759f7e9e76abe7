// Builds the name sidecar (see name_index_format.h) from the index database. This is the hook the
// crawler calls after every committed crawl or refresh:
//
//     crawler.onCommitted = [](sqlite3* db) { skimmer::index::query::buildNameIndex(db); };
//
// Contract:
// - Reads one consistent snapshot of `items` and meta 'generation' (in its own read transaction
//   when the connection has none open) and writes "<database file>.names" by atomic replacement:
//   a temporary file in the same folder, fsync, rename, fsync of the folder. Readers that have
//   the old file mapped keep reading the old file.
// - Writes nothing when the sidecar on disk already carries the database's generation and
//   instance stamp (`skipped`) and every block of it verifies, unless `force`. A damaged sidecar
//   is rebuilt, and `repaired` says what was wrong with it.
// - Never writes to the database. On failure the previous sidecar stays; readers then see its
//   stale generation and answer from SQLite alone, so a failed build costs speed, not results.
// - Memory is bounded by `memoryBudget` (plus a few MB): the documents are put in order in sorted
//   runs of that size spilled to a temporary file beside the sidecar (unlinked at once) and merged,
//   the sections are written to the new file as they are made, and the postings are filled a
//   window of that size at a time, each window one more pass over the names read back from the new
//   file (the 3-byte grams are counted in one such pass too, once the dense 2-byte grams are
//   known). Whatever the budget, the file is the same, byte for byte.
// - Takes about two seconds at 1,000,000 items; call it off the UI thread.
#pragma once

#include "index/query/name_index_format.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace skimmer::index::query {

struct NameIndexBuildOptions {
    // A contains-gram in more than docCount / denseDivisor documents is not stored ...
    uint32_t denseDivisor = sidecar::kDenseDivisor;
    // ... provided the index holds at least this many documents (small indexes store every list).
    uint32_t denseMinDocs = 4096;
    // Rebuild even when the sidecar on disk already matches the database.
    bool force = false;
    // Bytes held at once for the documents being ordered, and for the postings being filled.
    size_t memoryBudget = size_t{128} << 20;
    // A 3-byte gram (of two dense 2-byte grams) in more than docCount / tripleDenseDivisor
    // documents is not stored.
    uint32_t tripleDenseDivisor = sidecar::kTripleDenseDivisor;
};

struct NameIndexBuildResult {
    bool ok = false;
    std::string error;       // why it failed
    uint64_t generation = 0; // the generation the written file carries
    uint32_t documents = 0;
    uint64_t bytes = 0;      // size of the written file
    bool skipped = false;    // the sidecar on disk was already current: nothing written
    uint32_t sortedRuns = 0;      // runs of documents spilled to the temporary file (0: ordered in memory)
    uint32_t postingWindows = 0;  // passes over the names that filled the postings
    std::string repaired;    // set when the sidecar on disk was damaged (and is being rebuilt)
    bool olderFormat = false;  // the sidecar on disk was of an earlier format (and is being rebuilt)
};

// The line a tool prints to tell the user why the sidecar is being rebuilt (damage, an earlier
// format), or "" when it needs no word: a routine rebuild after a crawl is not news.
std::string rebuildNotice(const NameIndexBuildResult& built);

// "<database file>.names".
std::filesystem::path nameIndexPathFor(const std::filesystem::path& databaseFile);

NameIndexBuildResult buildNameIndex(sqlite3* db, const NameIndexBuildOptions& options = {});

}  // namespace skimmer::index::query
