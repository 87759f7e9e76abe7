#include "os/path_syntax.h"

namespace skimmer::os {

std::string_view pathName(std::string_view path) {
    const size_t end = path.find_last_of(folderEnds());
    return end == std::string_view::npos ? path : path.substr(end + 1);
}

std::string_view pathFolder(std::string_view path) {
    const size_t end = path.find_last_of(folderEnds());
    return end == std::string_view::npos ? std::string_view() : path.substr(0, end + 1);
}

std::string pathInFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && pathSeparators().find(path.back()) == std::string_view::npos) path += pathSeparators().front();
    path += name;
    return path;
}

}  // namespace skimmer::os
