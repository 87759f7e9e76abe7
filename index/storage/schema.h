// The on-disk shape of the desktop index: one SQLite file in WAL mode, written by one crawler and
// read by any number of readers at the same time.
//
// Contract:
// - `PRAGMA user_version` holds kSchemaVersion. A file with another version, or one that SQLite
//   cannot read, is never used: `openIndexForWriting` moves it aside (to "<file>.damaged", see
//   index_files.h) and starts a fresh one, and says so in `OpenedIndex::notice`. Any index file
//   that is not a regular file (a folder, FIFO, socket, device or dangling link) is moved aside the
//   same way before anything opens it.
// - Tables (every column is described in kSchemaSql, in schema.cpp):
//     meta(key, value)                 crawl state and counters; keys are the kMeta* names below
//     dirs(id, parent, name, mtime_ns, count, entries)
//                                      every crawled folder; its path is the names from its root
//                                      down; its files, folders and links packed in `entries`
//     items(id, dir, name, kind, ext, size, mtime, ctime, attrs, url, display, words), index items_dir(dir)
//                                      items of other sources, with their own url and display
//     mail(item, sender, recipients, folder, message_id, flags)
//                                      what a mail item keeps beyond its `items` row
//   A folder entry's URL is "file:" + its path and its displayed path is its path (item_ids.h
//   tells how readers name entries and items).
// - meta 'instance' is a random stamp made with the file; 'item_count' is the number of entries and
//   items, kept up to date by every commit.
// - meta 'generation' grows by one with every committed transaction that changed items; a reader
//   compares it to decide whether its own structures are stale.
// - Nothing here keeps a connection: the caller owns the returned `Db`.
#pragma once

#include "index/storage/sqlite_handle.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::index::store {

inline constexpr int kSchemaVersion = 4;  // 3: restart points in folders' packed entries; 4: mail

// items.attrs bits.
inline constexpr int kAttrFolder = 1;
inline constexpr int kAttrHidden = 2;    // the name starts with '.'
inline constexpr int kAttrReadOnly = 4;  // no write permission for the owner
inline constexpr int kAttrLink = 8;      // a symbolic link (recorded, never followed)
inline constexpr int kAttrUnread = 16;   // a mail message not yet seen
static_assert((kAttrFolder | kAttrHidden | kAttrReadOnly | kAttrLink | kAttrUnread) == 31, "one bit each");

// meta keys.
inline constexpr const char* kMetaGeneration = "generation";          // integer
inline constexpr const char* kMetaCrawlState = "crawl_state";         // 'idle' | 'running'
inline constexpr const char* kMetaItemsSeen = "items_seen";           // entries met by the running/last crawl
inline constexpr const char* kMetaItemsPending = "items_pending";     // entries listed, not yet written
inline constexpr const char* kMetaFoldersPending = "folders_pending"; // folders found, not yet visited
inline constexpr const char* kMetaCrawlStarted = "crawl_started";     // Unix seconds
inline constexpr const char* kMetaCrawlFinished = "crawl_finished";   // Unix seconds; absent until one ends
inline constexpr const char* kMetaRoots = "roots";                    // the roots, one per line, as given
inline constexpr const char* kMetaExcludes = "excludes";              // the exclusion globs, one per line
inline constexpr const char* kMetaIndexerVersion = "indexer_version"; // kIndexerVersion
inline constexpr const char* kMetaInstance = "instance";              // integer, random, set at creation
inline constexpr const char* kMetaItemCount = "item_count";           // entries + items
inline constexpr const char* kMetaMailFolders = "mail_folders";       // "stamp\tpath" lines: Maildir folders as last listed
inline constexpr const char* kMetaNamesOverlay = "names_overlay";   // folders changed since the name sidecar (names_overlay.h)

// What `--stats` and the search manager report as the indexer's version.
inline constexpr const char* kIndexerVersion = "3.1.0 (skimmer-index 0.1)";

// The full schema; executed inside one transaction on a fresh file.
extern const char* const kSchemaSql;

// $XDG_CACHE_HOME/skimmer/index.sqlite (falling back to $HOME/.cache when the variable is unset,
// empty or relative). Empty when neither gives an absolute path.
std::filesystem::path defaultIndexPath();

enum class SchemaState { Current, Empty, Old, Damaged };

// Classifies an open database: Empty (no tables, version 0), Current (our version and our tables),
// Old (another version) or Damaged (unreadable, or tables missing). `why` explains the last two.
SchemaState checkSchema(sqlite3* db, std::string& why);

struct OpenedIndex {
    Db db;               // null on failure
    Status status;       // why it failed
    std::string notice;  // set when an old or damaged file was moved aside and a fresh one made
    bool fresh = false;  // the schema was just created: the index holds nothing yet
};

// Opens (creating the folder with mode 0700 and the file as needed) the index for the crawler:
// WAL mode, a busy timeout, foreign state checked as described above.
OpenedIndex openIndexForWriting(const std::filesystem::path& file);

// Meta access. Values are stored as given (integers as INTEGER, texts as TEXT).
Status writeMeta(sqlite3* db, const char* key, int64_t value);
Status writeMeta(sqlite3* db, const char* key, std::string_view value);
std::optional<std::string> readMetaText(sqlite3* db, const char* key);
std::optional<int64_t> readMetaInt(sqlite3* db, const char* key);

}  // namespace skimmer::index::store
