// Browser bookmarks and history as items of the index: what a page's item holds, and keeping the
// index's browser items equal to what the browsers' files hold.
//
// Contract:
// - A bookmark becomes a Favorite item, a page of the history a WebHistory item (the kind word
//   "favorites" matches both). Name: the page's title, cleaned (control characters become
//   spaces, blanks are collapsed, invalid UTF-8 becomes U+FFFD, at most kMaxBrowserTitle bytes),
//   or the URL when there is no title. URL and displayed path: the page's URL. Date: date added
//   (bookmark) or last visit (history). Only http:// and https:// URLs of at most kMaxBrowserUrl
//   bytes, without blanks or control characters, become items; other schemes are left out.
// - One item per URL and kind, whatever the number of browsers, profiles, folders or visits: the
//   newest record gives the date, and its title unless it has none (then the newest that has one).
// - Browser items are rows of `items` with dir 0 and kind Favorite or WebHistory; nothing else is
//   touched. A sync inserts, updates and deletes only what differs. A source that cannot be read
//   (locked beyond copying, damaged, a schema we do not read) is skipped with a note; its kinds
//   then lose no item in this sync (what it held before may still be there), so a passing fault
//   never empties the group; the next sync that reads everything removes what is gone.
// - When every source file is exactly as at the last sync (meta kMetaBrowserSources), nothing is
//   read or written. A file whose content was refused (damaged, a schema we do not read) counts
//   as read: it is reported once and read again when it changes. A file that could not be
//   copied or read at all makes the next sync try again.
// - Browser files are only read, through private copies in a temporary folder under
//   `tempParent` (when empty or unusable: $TMPDIR, else /tmp) that is removed before the sync returns.
// - Runs inside the caller's open batch; write failures are left in the writer's status.
#pragma once

#include "index/sources/browser_readers.h"
#include "index/sources/browser_sources.h"
#include "index/storage/index_writer.h"
#include "index/storage/kinds.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store {

inline constexpr size_t kMaxBrowserTitle = 1024;
inline constexpr size_t kMaxBrowserUrl = 32768;
static_assert(kMaxBrowserTitle >= 4 && kMaxBrowserUrl > sizeof "https://");

// meta key: the stamps of the source files at the last sync (empty: read them again).
inline constexpr const char* kMetaBrowserSources = "browser_sources";

bool acceptedBrowserUrl(std::string_view url);
std::string cleanBrowserTitle(std::string_view title);

// The item a record becomes as `kind` (Favorite or WebHistory); none when its URL is left out.
std::optional<CrawledItem> browserItem(const BrowserVisit& visit, Kind kind);

struct BrowserSyncResult {
    int64_t items = 0;               // browser items in the index after the sync
    bool unchanged = false;          // every source as at the last complete sync: nothing read
    std::vector<std::string> notes;  // one line per source skipped
};

// The browser items in the index (0 when it cannot be read).
int64_t countBrowserItems(sqlite3* db);

BrowserSyncResult syncBrowserItems(IndexWriter& writer, sqlite3* db, const std::vector<BrowserSource>& sources,
                                   const std::filesystem::path& tempParent = {});

}  // namespace skimmer::index::store
