// Keeps the items derived from .desktop entries (applications and links) in step with the
// .desktop files that the crawl found in the applications folders.
//
// Contract:
// - Reads the .desktop file items of every visited folder at or below each applications folder
//   (highest precedence first), decides the shown entries (index/sources/applications.h), and makes
//   the derived items (rows with a url) equal to them: inserts, updates and deletes only what
//   differs, so an unchanged set of entries writes nothing.
// - Runs inside the caller's open batch; failures are left in the writer's status.
#pragma once

#include "index/sources/applications.h"
#include "index/storage/index_writer.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace skimmer::index::store {

// Returns the number of derived items now in the index.
int64_t syncDesktopItems(IndexWriter& writer, const std::unordered_map<std::string, StoredDir>& dirs,
                         const std::vector<std::string>& applicationDirs, const DesktopContext& context);

}  // namespace skimmer::index::store
