#include "index/sources/browser_data_source.h"

#include "index/sources/browser_items.h"

#include <filesystem>

namespace skimmer::index::store {

SourceOutcome BrowserDataSource::sync(const SourceRun& run) const {
    // Copies go beside the index: on the same disk, not into a $TMPDIR that may be memory.
    const char* file = sqlite3_db_filename(run.db, "main");
    const std::filesystem::path folder = file && *file ? std::filesystem::path(file).parent_path() : std::filesystem::path();
    BrowserSyncResult browsers = syncBrowserItems(run.writer, run.db, findBrowserSources(places_), folder);
    return {.status = {}, .items = browsers.items, .skipped = 0, .notes = std::move(browsers.notes)};
}

}  // namespace skimmer::index::store
