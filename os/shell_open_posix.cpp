#include "os/shell_open.h"
#include "os/utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "os/desktop_file.h"
#include "os/process.h"
#include "os/bounded_file.h"

namespace skimmer::os {
namespace {

std::string envOr(const char* name, std::string fallback) {
    const char* v = std::getenv(name);
    return v && v[0] == '/' ? std::string(v) : fallback;  // relative XDG values are ignored
}

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// Only a scheme followed by "//" (or one of the few opaque schemes people paste) counts as a URL,
// so that "make:all" or "tar:x" stay commands.
bool isCommandLineUrl(std::string_view text) {
    if (!looksLikeUrl(text) || text.find_first_of(" \t") != std::string_view::npos) return false;
    size_t colon = text.find(':');
    if (text.substr(colon + 1, 2) == "//") return true;
    const std::string scheme = asciiLower(text.substr(0, colon));
    return scheme == "mailto" || scheme == "file" || scheme == "magnet" || scheme == "tel";
}

// Desktop-file ids turn '/' into '-', so "kde-kate.desktop" may be "kde/kate.desktop": every way
// of turning dashes back into slashes is a candidate (only for a sane number of dashes).
void idCandidates(std::string id, size_t from, std::vector<std::string>& out) {
    size_t dash = id.find('-', from);
    if (dash == std::string::npos) {
        out.push_back(id);
        return;
    }
    idCandidates(id, dash + 1, out);
    id[dash] = '/';
    idCandidates(id, dash + 1, out);
}

bool noGraphicalDisplay() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return !set("DISPLAY") && !set("WAYLAND_DISPLAY");
}

// Reads a whole regular file of at most kMaxDesktopFileSize bytes (the bounded reader: a FIFO or
// device planted under a .desktop name cannot hang the UI) and words its failure for the user.
bool readSmallRegularFile(const std::string& path, std::string& text, std::string& error) {
    BoundedRead file = readBoundedFile(path, kMaxDesktopFileSize);
    using Status = BoundedRead::Status;
    if (file.status == Status::NotRegular || file.status == Status::TooLarge)
        error = path + " is not a desktop entry file";
    else if (!file.ok())
        error = "cannot read " + path + (file.error != 0 ? std::string(": ") + std::strerror(file.error) : "");
    text = std::move(file.text);
    return file.ok();
}

}  // namespace

PathFacts RealPathQuery::facts(const std::string& path) const {
    struct stat st {};
    PathFacts f;
    if (path.empty() || stat(path.c_str(), &st) != 0) return f;
    f.exists = true;
    f.directory = S_ISDIR(st.st_mode);
    f.executable = S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0 && (st.st_mode & 0111) != 0;
    return f;
}

CommandLineTarget classifyCommandLine(std::string_view line, const std::string& currentDirectory,
                                      const PathQuery& files) {
    std::string_view text = trim(line);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"' &&
        text.substr(1, text.size() - 2).find('"') == std::string_view::npos) {
        text = text.substr(1, text.size() - 2);
    }
    return classifyPath(text, currentDirectory, files);
}

CommandLineTarget classifyPath(std::string_view text, const std::string& currentDirectory, const PathQuery& files) {
    if (text.empty() || text.find('\0') != std::string_view::npos) return {};
    std::string path(text);
    if (path.front() != '/') path = currentDirectory + (endsWith(currentDirectory, "/") ? "" : "/") + path;
    PathFacts f = files.facts(path);
    if (f.exists && !f.directory)
        return {f.executable ? CommandLineAction::RunFile : CommandLineAction::OpenFile, path};
    if (isCommandLineUrl(text)) return {CommandLineAction::OpenUrl, std::string(text)};
    return {};
}

std::vector<std::string> applicationDirectories() {
    std::string home = envOr("HOME", "");
    std::vector<std::string> dirs;
    std::string dataHome = envOr("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share");
    if (!dataHome.empty()) dirs.push_back(dataHome + "/applications");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string_view list = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
    while (!list.empty()) {
        size_t colon = list.find(':');
        std::string_view dir = list.substr(0, colon);
        if (!dir.empty() && dir.front() == '/') dirs.push_back(std::string(dir) + "/applications");
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return dirs;
}

std::optional<std::string> findDesktopFile(std::string_view id, const std::vector<std::string>& directories,
                                           const PathQuery& files) {
    std::string name(id);
    if (!endsWith(name, ".desktop")) name += ".desktop";
    if (name.size() == 8 || name.find('/') != std::string::npos || name.find('\0') != std::string::npos ||
        name.find("..") != std::string::npos)
        return std::nullopt;  // no id may climb out of the applications folders
    std::vector<std::string> candidates;
    size_t dashes = 0;
    for (char c : name) dashes += c == '-';
    if (dashes <= 8) idCandidates(name, 0, candidates);
    else candidates.push_back(name);
    for (const auto& dir : directories) {
        for (const auto& candidate : candidates) {
            std::string path = dir + "/" + candidate;
            PathFacts f = files.facts(path);
            if (f.exists && !f.directory) return path;
        }
    }
    return std::nullopt;
}

bool loadDesktopLaunch(const std::string& path, DesktopLaunch& entry, std::string& error) {
    std::string text;
    if (!readSmallRegularFile(path, text, error)) return false;
    constexpr std::string_view kGroup = "Desktop Entry";
    DesktopFile file = parseDesktopFile(text);
    auto type = file.string(kGroup, "Type");
    auto exec = file.string(kGroup, "Exec");
    if (!file.hasGroup(kGroup) || (type && *type != "Application") || !exec) {
        error = path + " is not an application entry";
        return false;
    }
    entry.exec = *exec;
    entry.icon = file.string(kGroup, "Icon").value_or("");
    entry.name = file.localeString(kGroup, "Name", messagesLocale()).value_or("");
    entry.location = path;
    entry.path = file.string(kGroup, "Path").value_or("");
    entry.terminal = file.boolean(kGroup, "Terminal").value_or(false);
    return true;
}

std::string describeOpenerExit(int code) {
    switch (code) {
    case 1: return "error in the command line";
    case 2: return "one of the files passed does not exist";
    case 3: return "a required tool could not be found";
    case 4: return "the action failed";
    default: return "exit code " + std::to_string(code);
    }
}

ShellOpener::ShellOpener(Options options) : options_(std::move(options)) {
    if (!options_.files) options_.files = &realFiles_;
    if (!options_.loadEntry) options_.loadEntry = loadDesktopLaunch;
    if (options_.applicationDirs.empty()) options_.applicationDirs = applicationDirectories();
}

OpenResult ShellOpener::open(std::string_view target) const {
    OpenResult result;
    constexpr std::string_view kApplication = "application://";
    if (target.substr(0, kApplication.size()) == kApplication) {
        std::string_view id = target.substr(kApplication.size());
        while (!id.empty() && id.back() == '/') id.remove_suffix(1);
        auto file = findDesktopFile(id, options_.applicationDirs, *options_.files);
        if (file) result = launchEntry(*file);
        else result.error = "no application has the id \"" + std::string(id) + "\"";
    } else {
        std::string path = looksLikeUrl(target) ? fileUrlToPath(target) : std::string(target);
        PathFacts f = options_.files->facts(path);
        if (endsWith(path, ".desktop") && f.exists && !f.directory) result = launchEntry(path);
        else result = runOpener(path.empty() ? target : path);  // a path says exactly which file
    }
    result.noDisplay = noGraphicalDisplay();
    return result;
}

OpenResult ShellOpener::launchEntry(const std::string& desktopFile) const {
    OpenResult result;
    DesktopLaunch entry;
    if (!options_.loadEntry(desktopFile, entry, result.error)) return result;
    if (entry.location.empty()) entry.location = desktopFile;
    ExecCommand cmd = expandExec(entry, {});
    if (!cmd.ok) {
        result.error = desktopFile + ": " + cmd.error;
        return result;
    }
    if (cmd.terminal) {
        result.status = OpenResult::RunInTerminal;
        result.command = std::move(cmd);
        return result;
    }
    auto child = Process::start({.argv = cmd.argv, .workingDirectory = cmd.workingDirectory, .detachSession = true},
                                result.error);
    if (!child) return result;
    child->detach();
    result.status = OpenResult::Started;
    return result;
}

OpenResult ShellOpener::runOpener(std::string_view target) const {
    OpenResult result;
    std::string argument(target);
    if (!argument.empty() && argument.front() == '-') argument = "./" + argument;  // never an option
    auto child = Process::start({.argv = {options_.opener, argument}, .detachSession = true}, result.error);
    if (!child) return result;
    auto status = child->waitFor(options_.openerWait);
    if (!status) {
        child->detach();  // still busy handing over: it is on its own now
        result.status = OpenResult::Started;
    } else if (status->success()) {
        result.status = OpenResult::Started;
    } else {
        result.error = options_.opener + ": " +
                       (status->exited ? describeOpenerExit(status->code)
                                       : "ended by signal " + std::to_string(status->signal));
    }
    return result;
}

}  // namespace skimmer::os
