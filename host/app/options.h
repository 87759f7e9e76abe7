// The `skimmer` command line: what the user asked for, parsed without side effects.
//
// Contract: `kOptions` is the one list of the options; `parseOptions` walks it, never exits or
// prints, and returns the options or an error text for the caller to show with the usage line.
// `helpText()` is the text of --help, whose option lines come from `kOptions`; the manual page
// (dist/man/skimmer.1) and the shell completions (dist/completion/) list the same options, as
// tests/dist checks.
#pragma once

#include "os/option_table.h"

#include <optional>
#include <string>
#include <vector>

namespace skimmer::host::app {

inline constexpr os::ProgramOption kOptions[] = {
    {"--manager", "", "", os::Completion::None, "start with the panels only; do not open the search window"},
    {"--panel", "", "", os::Completion::None,
     "start in the search-folder panel (the Skimmer plug-in's drive-menu panel)"},
    {"--plugin", "", "PATH", os::Completion::File,
     "load the plug-in module PATH (repeatable) and no other; without it the modules of the plug-in "
     "folders below are loaded"},
    {"--help", "-h", "", os::Completion::None, "show this help and exit"},
    {"--version", "", "", os::Completion::None, "show the version and exit"},
};

struct Options {
    bool manager = false;               // --manager: panels only, no search window at start
    bool panel = false;                 // --panel: start with the Skimmer plug-in's drive-menu panel
    bool help = false;
    bool version = false;
    std::vector<std::string> plugins;   // --plugin PATH, repeatable: load these modules
    std::optional<std::string> text;    // TEXT: put on the command line first
};

struct ParseResult {
    Options options;
    std::string error;  // empty on success
};

ParseResult parseOptions(const std::vector<std::string>& args);

std::string helpText();
// "skimmer VERSION" and the plug-in interface it hosts, from the build's one version number.
std::string versionText();

}  // namespace skimmer::host::app
