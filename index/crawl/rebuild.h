// A rebuild from nothing that readers never see half done: the new index is crawled into a
// staging database beside the live one ("<index>.rebuild"), which nobody reads, and is then put in
// the live one's place whole. When there is a live index, the staging database's pages are copied
// over it in one write transaction (SQLite's online backup), so a reader's snapshot is always the
// old index or the new one, never an empty or partial one, and a reader that opens the file during
// the rebuild finds the old index in place. When there is none (no database, WAL or shared-memory
// file at its path), the staging database is synced and renamed to the live path: a reader finds
// no index before the rename and the whole one after it, and nothing is written twice.
//
// Contract:
// - Holds the live index's crawl lock for the whole rebuild, so no refresh interleaves with it.
// - The live database is opened (and, when damaged or not a regular file, moved aside) exactly as a
//   refresh would; `notice` collects what was moved.
// - On a failure before the new index is in place the live index is unchanged; the staging files
//   are removed whatever happens. The staging database is written without a journal on disk and
//   without syncs (a crash leaves only a staging file, which the next rebuild removes); it is
//   synced before it is renamed into place.
// - `hooks.afterCommit` runs once, on the live database, once the new index is in place; progress
//   and the clock hooks serve the staging crawl.
// - Nothing throws.
#pragma once

#include "index/crawl/crawler.h"

#include <filesystem>
#include <string>

namespace skimmer::index::store {

inline constexpr const char* kStagingSuffix = ".rebuild";

CrawlResult rebuildIndex(const std::filesystem::path& database, const CrawlOptions& options, CrawlFs& fs,
                         const CrawlHooks& hooks, std::string& notice);

}  // namespace skimmer::index::store
