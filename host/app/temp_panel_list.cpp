#include "host/app/temp_panel_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/app/display_name.h"
#include "os/paths.h"
#include "os/unique_fd.h"
#include "os/utf8.h"

namespace skimmer::host::app {
namespace {

bool samePrefix(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() && os::equalsAsciiCaseless(line.substr(0, prefix.size()), prefix);
}

std::string cannot(const char* what, const std::string& file, int err) {
    return std::string(what) + " " + displayName(file) + ": " + std::strerror(err);
}

std::string folderOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : file.substr(0, slash);
}

}  // namespace

std::optional<std::string> tempPanelCommand(std::string_view line, std::string_view prefix, std::string& error) {
    error.clear();
    if (prefix.empty() || !samePrefix(line, prefix) || line.size() <= prefix.size() || line[prefix.size()] != ':')
        return std::nullopt;
    std::string_view rest = line.substr(prefix.size() + 1);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    if (rest.empty()) {
        error = "The temporary panel needs a list file: " + std::string(prefix) + ":FILE";
    } else if (rest.front() == '+' || rest.front() == '-') {
        const std::string_view option = rest.substr(0, rest.find(' '));
        error = "The temporary panel takes no options (" + displayName(std::string(option)) + ")";
    }
    return std::string(rest);
}

std::vector<std::string> parseTempPanelList(std::string_view bytes) {
    std::vector<std::string> paths;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        else if (end > start && bytes[end - 1] == '\r') --end;
        if (end > start) paths.emplace_back(bytes.substr(start, end - start));
        start = next;
    }
    return paths;
}

bool readTempPanelList(const std::string& file, std::vector<std::string>& paths, std::string& error) {
    // O_NONBLOCK: a FIFO named as the list never blocks the screen; it is refused below.
    os::UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        error = cannot("cannot open the list file", file, errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = cannot("cannot read the list file", file, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "the list file " + displayName(file) + " is not a regular file";
        return false;
    }
    if (static_cast<uint64_t>(st.st_size) > kMaxListBytes) {
        error = "the list file " + displayName(file) + " is larger than " + std::to_string(kMaxListBytes >> 20) + " MB";
        return false;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = cannot("cannot read the list file", file, errno);
            return false;
        }
        if (n == 0) break;
        // The size is checked again as the file is read: it may grow after fstat.
        if (bytes.size() + static_cast<size_t>(n) > kMaxListBytes) {
            error = "the list file " + displayName(file) + " is larger than " + std::to_string(kMaxListBytes >> 20) + " MB";
            return false;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    if (bytes.find('\0') != std::string::npos) {
        error = "the list file " + displayName(file) + " is not a list of paths (it holds a zero byte)";
        return false;
    }
    paths = parseTempPanelList(bytes);
    const std::string folder = folderOf(file);
    for (std::string& path : paths)
        if (path.front() != '/') path = os::joinPath(folder, path);
    error.clear();
    return true;
}

}  // namespace skimmer::host::app
