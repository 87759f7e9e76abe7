#include "index/sources/application_source.h"

#include "index/sources/desktop_items.h"

namespace skimmer::index::store {

SourceOutcome ApplicationSource::sync(const SourceRun& run) const {
    return {.status = {}, .items = syncDesktopItems(run.writer, run.dirs, applicationDirs_, context_), .skipped = 0,
            .notes = {}};
}

}  // namespace skimmer::index::store
