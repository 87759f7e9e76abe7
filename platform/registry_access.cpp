#include "platform/registry_access.h"

namespace skimmer::platform {

std::string joinKeyPath(std::string_view parent, std::string_view child) {
    std::string path(parent);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    if (child.empty()) return path;
    if (!path.empty()) path += '\\';
    path += child;
    return path;
}

}  // namespace skimmer::platform
