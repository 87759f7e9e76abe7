// The browsers' bookmarks and history, as a source of the crawl (item_source.h). The browsers'
// files are found again by every sync (a profile may have been made meanwhile) and read through
// copies beside the index (browser_items.h); a file that cannot be read is a note. It watches the
// profile lists and the databases (browserWatchFiles).
#pragma once

#include "index/sources/browser_sources.h"
#include "index/sources/item_source.h"

namespace skimmer::index::store {

class BrowserDataSource final : public ItemSource {
public:
    explicit BrowserDataSource(BrowserPlaces places) : places_(std::move(places)) {}
    std::string_view name() const override { return "browsers"; }
    SourceOutcome sync(const SourceRun& run) const override;
    std::vector<std::string> watched() const override { return browserWatchFiles(places_); }

private:
    BrowserPlaces places_;
};

}  // namespace skimmer::index::store
