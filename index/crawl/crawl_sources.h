// The sources of items the crawler brings in step after its walk, made from the crawl options, in
// the order every crawl runs them: applications, browsers, mail. Beside each, the count of the
// crawl's stats that reports its items.
//
// Contract: only builds the list; a source reads nothing until it syncs or is asked what it
// watches. The list owns its sources.
#pragma once

#include "index/crawl/crawl_options.h"
#include "index/crawl/crawl_stats.h"
#include "index/sources/item_source.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace skimmer::index::store {

struct CrawlSource {
    std::unique_ptr<const ItemSource> source;
    int64_t CrawlStats::*items;  // where a crawl reports the source's items
};

using CrawlSources = std::vector<CrawlSource>;

CrawlSources crawlSources(const CrawlOptions& options);

}  // namespace skimmer::index::store
