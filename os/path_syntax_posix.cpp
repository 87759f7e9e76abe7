#include "os/path_syntax.h"

namespace skimmer::os {

std::string_view folderEnds() { return "/"; }

bool isAbsolutePathWithName(std::string_view path) { return path.starts_with('/') && !path.ends_with('/'); }

}  // namespace skimmer::os
