#include "os/path_syntax.h"

namespace skimmer::os {

std::string_view folderEnds() { return "/"; }

std::string_view pathSeparators() { return "/"; }

std::string_view forbiddenNameCharacters() { return "/"; }

std::string_view withoutTrailingSeparators(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

bool isAbsolutePathWithName(std::string_view path) { return path.starts_with('/') && !path.ends_with('/'); }

}  // namespace skimmer::os
