#include "os/file_info.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace skimmer::os {

std::optional<uint64_t> fileSizeFollowingLinks(const std::string& path) {
    if (path.empty()) return std::nullopt;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<std::string> symlinkText(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // A link's text can be as long as a path can; grow until it fits.
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return std::nullopt;
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= (1u << 20)) return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> symlinkTargetPath(const std::string& path) {
    auto text = symlinkText(path);
    if (!text || text->empty() || (*text)[0] == '/') return text;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return text;
    return path.substr(0, slash + 1) + *text;
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace skimmer::os
