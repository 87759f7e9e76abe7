// Opening a hit with its default application on Linux, as the Windows shell would, and telling a
// command line that is only a path or a URL from a command. Built on Linux only
// (shell_open_posix.cpp); the plug-in reaches it through os/default_open.h.
//
// Contract:
// - Files and URLs go to the desktop's default handler (`xdg-open`); applications
//   (`application://<desktop-file-id>` or a `.desktop` file) start from their Exec line. Either
//   way the program is started from an argument vector, never through a shell, detached (its own
//   session, standard descriptors on /dev/null), so it can never draw on our screen.
// - A program that needs a terminal (Terminal=true) is not started here: the result hands its
//   command back for the caller to run in the foreground with the terminal handed over.
// - Failure to start, and xdg-open's own failure codes when it ends within the wait it is given,
//   come back as one line of text; nothing is silently dropped. The file system is only asked
//   through the interfaces below, so tests can answer for it.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/default_open.h"
#include "os/desktop_exec.h"

namespace skimmer::os {

// What the classification and the launcher need to know about a path.
struct PathFacts {
    bool exists = false;
    bool directory = false;
    bool executable = false;  // a regular file with an execute bit for us
};

class PathQuery {
public:
    virtual ~PathQuery() = default;
    virtual PathFacts facts(const std::string& path) const = 0;
};

// The real file system (stat() following links, access(X_OK)).
class RealPathQuery : public PathQuery {
public:
    PathFacts facts(const std::string& path) const override;
};

// What Enter on the command line should do with the text.
enum class CommandLineAction {
    Command,  // a command for the shell
    OpenFile, // exactly one existing file that is not executable: open it with its application
    RunFile,  // exactly one existing executable file: run it, with no arguments and no shell
    OpenUrl,  // a URL: open it with its application
};

struct CommandLineTarget {
    CommandLineAction action = CommandLineAction::Command;
    std::string target;  // the path (absolute) or URL for every action but Command
};

// Classifies a command line. A path may be enclosed in one pair of double quotes; a relative path
// is taken from `currentDirectory`. Blanks around the text are ignored, blanks inside a path kept.
CommandLineTarget classifyCommandLine(std::string_view line, const std::string& currentDirectory,
                                      const PathQuery& files);

// Classifies `path` exactly as given, the word a shell made of a quoted line: nothing is trimmed or
// unquoted, so a blank, tab or other white space at either end is part of the name ("X " is never "X").
CommandLineTarget classifyPath(std::string_view path, const std::string& currentDirectory, const PathQuery& files);

// Where the desktop entries live: $XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS entry.
std::vector<std::string> applicationDirectories();

// The file of a desktop-file id ("org.gnome.gedit.desktop", "kde-kate.desktop" may live in
// "kde/kate.desktop"); the first directory that has it wins. None for a missing or unsafe id.
std::optional<std::string> findDesktopFile(std::string_view id, const std::vector<std::string>& directories,
                                           const PathQuery& files);

// The launch values of the .desktop file at `path` (os/desktop_file.h reads it): Exec, Icon, the
// Name for the messages locale, Path, Terminal. False with `error` set for a file that cannot be
// read, is larger than kMaxDesktopFileSize, or is not an application entry with an Exec line.
inline constexpr size_t kMaxDesktopFileSize = 1 << 20;
bool loadDesktopLaunch(const std::string& path, DesktopLaunch& entry, std::string& error);

class ShellOpener {
public:
    // Reads one desktop entry's launch values; false with `error` set when it cannot.
    using EntryLoader = std::function<bool(const std::string& path, DesktopLaunch& entry, std::string& error)>;

    struct Options {
        const PathQuery* files = nullptr;                   // default: the real file system
        EntryLoader loadEntry;                              // default: loadDesktopLaunch
        std::vector<std::string> applicationDirs;           // default: applicationDirectories()
        std::string opener = "xdg-open";                    // the desktop's default handler
        std::chrono::milliseconds openerWait{1500};         // how long to wait for its verdict
    };

    explicit ShellOpener(Options options);
    OpenResult open(std::string_view target) const;

private:
    OpenResult launchEntry(const std::string& desktopFile) const;
    OpenResult runOpener(std::string_view target) const;

    Options options_;
    RealPathQuery realFiles_;
};

// The text for xdg-open's documented exit codes.
std::string describeOpenerExit(int code);

}  // namespace skimmer::os
