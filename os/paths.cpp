#include "os/paths.h"

namespace skimmer::os {

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string out;
    out.reserve(folder.size() + 1 + name.size());
    if (folder != "/") out += folder;
    out += '/';
    out += name;
    return out;
}

bool isStrictlyUnder(std::string_view path, std::string_view folder) {
    if (folder == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

bool isAtOrUnder(std::string_view path, std::string_view folder) {
    return path == folder || isStrictlyUnder(path, folder);
}

}  // namespace skimmer::os
