#include "os/path_compact.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace skimmer::os {

namespace {

// The shell's own limit: it compacts in a MAX_PATH buffer and refuses to go beyond it.
constexpr int kShellLimit = MAX_PATH - 1;

}  // namespace

std::optional<std::string> shellCompactPath(std::string_view path, int maxChars) {
    if (maxChars <= 0) return std::string();
    if (path.size() <= static_cast<size_t>(maxChars)) return std::string(path);
    if (maxChars > kShellLimit || path.size() > static_cast<size_t>(kShellLimit)) return std::nullopt;
    const std::string source(path);
    // The count the shell takes includes the terminating zero.
    std::vector<char> out(static_cast<size_t>(maxChars) + 1, '\0');
    if (!PathCompactPathExA(out.data(), source.c_str(), static_cast<UINT>(maxChars) + 1, 0)) return std::nullopt;
    out.back() = '\0';
    return std::string(out.data());
}

}  // namespace skimmer::os
