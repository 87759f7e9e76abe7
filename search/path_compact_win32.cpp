#include "os/path_compact.h"
#include "search/path_compact.h"

namespace skimmer::search {

std::string CompactPathForColumn(std::string_view Path, int Max) {
    if (auto shell = os::shellCompactPath(Path, Max)) return *std::move(shell);
    return CompactPath(Path, Max, '\\');
}

}  // namespace skimmer::search
