// skimmer: the terminal host. Parses the command line, takes the terminal, loads the plug-ins,
// opens the search window unless told otherwise, and runs the FAR-like screen until F10.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "host/app/app.h"
#include "host/app/options.h"

int main(int argc, char** argv) {
    using namespace skimmer::host::app;
    const ParseResult parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "skimmer: %s\nTry 'skimmer --help' for more information.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (parsed.options.version) {
        std::fputs(versionText().c_str(), stdout);
        return 0;
    }
    try {
        return runApp(parsed.options, argc > 0 ? argv[0] : "skimmer");
    } catch (const std::exception& e) {
        // The terminal was already restored by the objects that owned it.
        std::fprintf(stderr, "skimmer: %s\n", e.what());
        return 1;
    }
}
