#include "host/app/temp_panel_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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

// One `+word` / `-word`; false with `error` for a word the panel does not take.
bool takeOption(std::string_view word, TempPanelOptions& options, std::string& error) {
    const bool on = word.front() == '+';
    const std::string_view name = word.substr(1);
    const std::pair<std::string_view, std::optional<bool> TempPanelOptions::*> kOptions[] = {
        {"full", &TempPanelOptions::full}, {"safe", &TempPanelOptions::safe},
        {"any", &TempPanelOptions::any},   {"menu", &TempPanelOptions::menu},
        {"replace", &TempPanelOptions::replace}};
    for (const auto& [option, member] : kOptions) {
        if (os::equalsAsciiCaseless(name, option)) {
            options.*member = on;
            return true;
        }
    }
    if (on && os::equalsAsciiCaseless(name, "ansi")) return true;  // names are bytes whatever the code page
    if (on && name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
        options.number = name[0] - '0';
        return true;
    }
    error = "The temporary panel does not take the option " + displayName(std::string(word)) +
            " (it takes +0..+9, +/-full, +/-safe, +/-any, +/-menu, +/-replace, +ansi)";
    return false;
}

}  // namespace

std::optional<TempPanelCommand> tempPanelCommand(std::string_view line, std::string_view prefix, std::string& error) {
    error.clear();
    if (prefix.empty() || !samePrefix(line, prefix) || line.size() <= prefix.size() || line[prefix.size()] != ':')
        return std::nullopt;
    TempPanelCommand command;
    std::string_view rest = line.substr(prefix.size() + 1);
    for (;;) {
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
        if (rest.empty() || (rest.front() != '+' && rest.front() != '-')) break;
        const std::string_view word = rest.substr(0, rest.find_first_of(" \t"));
        if (!takeOption(word, command.options, error)) return command;
        rest.remove_prefix(word.size());
    }
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    command.listFile = std::string(rest);
    return command;
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

bool readTempPanelLines(const std::string& file, std::vector<std::string>& lines, std::string& error) {
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
    lines = parseTempPanelList(bytes);
    error.clear();
    return true;
}

std::string tempPanelPath(const std::string& file, const std::string& line) {
    return line.front() == '/' ? line : os::joinPath(folderOf(file), line);
}

bool readTempPanelList(const std::string& file, std::vector<std::string>& paths, std::string& error) {
    if (!readTempPanelLines(file, paths, error)) return false;
    for (std::string& path : paths) path = tempPanelPath(file, path);
    return true;
}

}  // namespace skimmer::host::app
