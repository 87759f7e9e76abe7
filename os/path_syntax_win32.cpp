#include "os/path_syntax.h"

namespace skimmer::os {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }
bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string_view folderEnds() { return "\\/:"; }

std::string_view pathSeparators() { return "\\/"; }

std::string_view forbiddenNameCharacters() { return "\\/:*?\"<>|"; }

std::string_view withoutTrailingSeparators(std::string_view path) {
    // A drive's root ("C:\\") and the current drive's ("\\") keep their separator.
    const size_t root = path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':' ? 3 : 1;
    while (path.size() > root && isSeparator(path.back())) path.remove_suffix(1);
    return path;
}

bool isAbsolutePathWithName(std::string_view path) {
    const bool drive = path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' && isSeparator(path[2]);
    const bool unc = path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
    if (!drive && !unc) return false;
    return path.find_last_of(folderEnds()) + 1 < path.size();
}

}  // namespace skimmer::os
