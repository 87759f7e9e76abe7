// The crawler: brings the index up to date with the file system under the configured roots.
//
// Contract:
// - One entry point, `crawl`, builds a fresh index or refreshes an existing one; the two are the
//   same walk. A folder whose change stamp (max of mtime and ctime) equals the stored one is not
//   listed again: its known entries are stat'ed one by one (so changed sizes and times are seen)
//   and its known subfolders are descended; when one of its known entries is gone or unreadable
//   the stored row no longer tells what is there, and the folder is listed after all. Other
//   folders are listed and diffed by name.
// - Folders not reached by a complete crawl (deleted, renamed, newly excluded, no longer under a
//   root) are removed with their items at the end. A crawl that fails part-way removes nothing it
//   did not see; whatever it committed is consistent, and the next crawl finishes the job.
// - The walk keeps an explicit stack and at most kMaxOpenFolders directory descriptors, reopening
//   ancestors one name at a time when it climbs back, so depth is limited by memory only. Links
//   are recorded, never followed; FIFOs, sockets and devices are counted and skipped, never
//   opened; pseudo and network file systems are not entered (unless the options say so).
// - File names are stored byte for byte.
// - At the end of a complete crawl every source of items (crawl_sources.h: the .desktop entries,
//   the browsers' bookmarks and history, mail) is brought in step, in the list's order, each
//   reporting its items in its own count of `CrawlStats`. A source that is skipped (a browser file
//   that cannot be read) is a note in `CrawlStats::notes`, never a failure of the crawl; a source
//   that fails (mail's statements) fails it, before it is marked finished.
// - `hooks.afterCommit` runs after every crawl that ends normally, outside any transaction, with
//   the crawler's connection; the callee compares meta 'generation' with its own to skip work.
// - `refreshFolders` brings only the named folders up to date (a watcher's batch): each one is
//   visited as the crawl would visit it, its new subfolders are walked whole, and what it no
//   longer holds is removed with everything below. A folder asked for `subtree` is walked whole.
//   A named folder that is gone, replaced by a file or unreadable is removed with its
//   descendants, and its parent is visited instead, so the parent's row says what is there now.
//   A folder whose parent the index does not know is reached through its nearest known
//   ancestor. The parent of each named folder is visited too (its row holds the folder's times).
//   Folders outside the roots or excluded (or below an excluded one) are ignored. Same lock,
//   batches and hooks as `crawl`; the crawl state in meta is left alone. Items made from
//   .desktop entries are left to `refreshSource` with the applications source, which brings them
//   in line with the applications folders as the index holds them now.
// - Failures come back in `CrawlResult::status`; nothing throws.
#pragma once

#include "index/crawl/crawl_fs.h"
#include "index/crawl/crawl_options.h"
#include "index/crawl/crawl_sources.h"
#include "index/crawl/crawl_stats.h"
#include "index/storage/index_writer.h"
#include "index/storage/sqlite_handle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace skimmer::index::store {

inline constexpr size_t kMaxOpenFolders = 64;

struct CrawlProgress {
    const CrawlStats& stats;
    std::string_view folder;  // the folder being visited (raw bytes)
    int64_t foldersPending;
};

struct CrawlHooks {
    std::function<void(const CrawlProgress&)> progress;  // after each folder; keep it cheap
    std::function<void(sqlite3*)> afterCommit;
    std::function<int64_t()> nowMillis;                  // batching clock; a steady clock if unset
    // `refreshFolders` only: runs inside each of its transactions that changes items, just before
    // the commit, with the generation the index will have and every folder changed so far (by this
    // refresh). A failure fails the commit.
    std::function<Status(sqlite3*, int64_t generation, const std::vector<int64_t>& changedDirs)> beforeCommit;
};

struct CrawlResult {
    Status status;
    CrawlStats stats;
};

CrawlResult crawl(sqlite3* db, const CrawlOptions& options, CrawlFs& fs, const CrawlHooks& hooks);

struct FolderRequest {
    std::string path;      // absolute
    bool subtree = false;  // walk everything below it, not only what is new
};

struct FolderRefreshResult {
    Status status;
    CrawlStats stats;
    std::vector<std::string> visited;  // folders brought up to date, new ones included
    std::vector<std::string> removed;  // folders removed from the index with what they held
    std::vector<int64_t> changedDirs;  // dirs.id of every folder whose row was written or removed
};

// One source of items brought in step on its own, for a watcher of what it watches: the same lock
// and hooks as `crawl`, one batch; the walk's folders are those the index holds.
CrawlResult refreshSource(sqlite3* db, const CrawlOptions& options, const CrawlHooks& hooks, const CrawlSource& source);

// The index's folders as the last folder refresh left them, kept by a caller that refreshes
// again and again (a watcher): loading them costs more than a small refresh. Used only while the
// index's generation is the one recorded, so a change made by anyone else reloads them.
struct FolderCache {
    std::unordered_map<std::string, StoredDir> dirs;
    int64_t generation = -1;  // -1: nothing kept
};

FolderRefreshResult refreshFolders(sqlite3* db, const CrawlOptions& options, CrawlFs& fs, const CrawlHooks& hooks,
                                   const std::vector<FolderRequest>& folders, FolderCache* cache = nullptr);

}  // namespace skimmer::index::store
