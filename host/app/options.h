// The `skimmer` command line: what the user asked for, parsed without side effects.
//
// Contract: `parseOptions` never exits or prints; it returns the options or an error text for the
// caller to show with the usage line. `helpText()` is the text of --help, the one place the options
// and the fallback keys are documented for users.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace skimmer::host::app {

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
std::string versionText();

}  // namespace skimmer::host::app
