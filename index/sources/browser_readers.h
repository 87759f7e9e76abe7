// Reading bookmarks and history out of the browsers' own files: Firefox's places.sqlite,
// Chromium's History (SQLite) and Bookmarks (JSON).
//
// Contract:
// - Each reader appends what it finds as BrowserVisit records (URL and title as stored, time in
//   Unix seconds) and returns ok, or a failure with a one-line reason that names the cause (not a
//   database, damaged, a schema we do not read); on failure nothing it read is kept.
// - Times are converted from each browser's epoch: Firefox counts microseconds since 1970,
//   Chromium microseconds since 1601-01-01 UTC. A time of 0 or before 1970 gives 0.
// - Firefox bookmarks under the tags root are tags, not bookmarks, and are left out; places that
//   were never visited or are hidden are not history. Which URLs become items is decided later
//   (browser_items.h), not here.
// - The readers only run SELECTs on the connection they are given (a private copy).
#pragma once

#include "index/storage/sqlite_handle.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store {

struct BrowserVisit {
    std::string url, title;
    int64_t time = 0;  // Unix seconds: date added (bookmark) or last visit (history)
};

struct BrowserRead {
    std::vector<BrowserVisit> bookmarks, history;
};

// Seconds between 1601-01-01 and 1970-01-01 UTC (369 years, 89 of them leap years).
inline constexpr int64_t kChromiumEpochOffset = 11644473600;
static_assert(kChromiumEpochOffset == (369 * 365 + 89) * int64_t{86400});

int64_t unixFromFirefoxTime(int64_t microseconds);
int64_t unixFromChromiumTime(int64_t microseconds);

// The Bookmarks JSON file versions we read.
inline constexpr int64_t kChromiumBookmarksVersion = 1;
// The largest Bookmarks file read (bounded memory for a hostile file).
inline constexpr size_t kMaxBookmarksFile = size_t{64} << 20;

Status readFirefoxPlaces(sqlite3* db, BrowserRead& out);
Status readChromiumHistory(sqlite3* db, BrowserRead& out);
Status parseChromiumBookmarks(std::string_view json, BrowserRead& out);

}  // namespace skimmer::index::store
