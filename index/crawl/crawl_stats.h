// What one crawl or refresh did, counted as it went: the walk's folders and entries, and the items
// each source of items holds afterwards (crawl_sources.h says which count is whose).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skimmer::index::store {

struct CrawlStats {
    int64_t items = 0;         // entries indexed by this crawl (files, folders, links)
    int64_t folders = 0;       // folders visited
    int64_t unreadable = 0;    // folders that could not be opened or listed
    int64_t skipped = 0;       // FIFOs, sockets, devices; mount points of avoided file systems; unreadable mail
    int64_t vanished = 0;      // entries gone between listing and stat or open
    int64_t excluded = 0;      // entries matched by an exclusion
    int64_t listings = 0;      // folders listed (a no-change refresh lists none)
    int64_t added = 0, updated = 0, removed = 0;  // item rows written
    int64_t applications = 0;  // items from .desktop entries
    int64_t mail = 0;          // mail items (index/sources/maildir_items.h)
    int64_t browserItems = 0;  // bookmarks and history pages (index/sources/browser_items.h)
    std::vector<std::string> notes;  // sources skipped, one line each (e.g. a damaged browser file)
};

}  // namespace skimmer::index::store
