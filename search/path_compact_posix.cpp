#include "search/path_compact.h"

namespace skimmer::search {

std::string CompactPathForColumn(std::string_view Path, int Max) { return CompactPath(Path, Max); }

}  // namespace skimmer::search
