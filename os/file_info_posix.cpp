#include "os/file_info.h"

#include "os/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
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

int readFilePrefix(const std::string& path, size_t maxBytes, std::string& out, uint64_t& fileSize) {
    // O_NONBLOCK: a FIFO put where a file was expected must not hang the open; the type is then
    // checked on the open descriptor, so nothing can be swapped in between.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) return errno;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return EINVAL;
    fileSize = static_cast<uint64_t>(st.st_size);
    const size_t want = static_cast<size_t>(std::min<uint64_t>(maxBytes, fileSize));
    std::string data(want, '\0');
    size_t got = 0;
    while (got < want) {
        ssize_t n = ::read(fd.get(), data.data() + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) break;  // the file shrank meanwhile: what is there
        got += static_cast<size_t>(n);
    }
    data.resize(got);
    out = std::move(data);
    return 0;
}

std::optional<std::string> environmentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace skimmer::os
