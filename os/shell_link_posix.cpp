// On Linux a shortcut is read by our own parser: there is no shell to ask.
#include "os/shell_link.h"

#include <cstdint>

#include "os/file_info.h"

namespace skimmer::os {

std::optional<ShellLinkTarget> readShellLinkFile(const std::string& path, std::string& why) {
    std::string bytes;
    uint64_t size = 0;
    if (int err = readFilePrefix(path, kShellLinkMaxBytes, bytes, size); err != 0) {
        why = "cannot read " + path + ": error " + std::to_string(err);
        return std::nullopt;
    }
    return parseShellLink(bytes, why);
}

}  // namespace skimmer::os
