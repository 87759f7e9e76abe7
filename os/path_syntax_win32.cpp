#include "os/path_syntax.h"

namespace skimmer::os {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }
bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string_view folderEnds() { return "\\/:"; }

bool isAbsolutePathWithName(std::string_view path) {
    const bool drive = path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' && isSeparator(path[2]);
    const bool unc = path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
    if (!drive && !unc) return false;
    return path.find_last_of(folderEnds()) + 1 < path.size();
}

}  // namespace skimmer::os
