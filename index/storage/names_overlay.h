// The folders whose entries changed since the name sidecar was built, recorded by the watcher in
// meta 'names_overlay', so that readers keep the sidecar's speed between two rebuilds: the
// sidecar answers for every other folder, SQLite for these few.
//
// Contract:
// - The text names the generation it describes, the sidecar generation it is relative to and the
//   index's instance stamp; `parseNamesOverlay` returns it only when the first and last match the
//   snapshot being read. Any other text (stale, damaged, too long) gives none, and readers take
//   the plain database path: a bad overlay costs speed, never results.
// - It covers folder entries only; a change to items of other sources is never recorded here
//   (the writer rebuilds the sidecar instead).
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store {

// Every search reads the overlay's folders from the database, so their number bounds its extra
// cost (about 10,000 entries at 20 a folder: a few per cent of reading the whole index at 200,000);
// past it the sidecar is rebuilt instead.
inline constexpr size_t kMaxOverlayFolders = 512;
static_assert(kMaxOverlayFolders > 0 && kMaxOverlayFolders <= 4096);

struct NamesOverlay {
    uint64_t base = 0;          // the generation of the sidecar it completes
    std::vector<int64_t> dirs;  // dirs.id of the changed folders (deleted ones included), ascending
};

// "<generation> <base> <instance>\n<id> <id> ...".
std::string formatNamesOverlay(uint64_t generation, uint64_t base, uint64_t instance, const std::set<int64_t>& dirs);

std::optional<NamesOverlay> parseNamesOverlay(std::string_view text, uint64_t generation, uint64_t instance);

}  // namespace skimmer::index::store
