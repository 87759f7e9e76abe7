#include "host/app/app.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "host/app/manager.h"
#include "host/app/terminal_console.h"
#include "host/term/signal_pipe.h"
#include "host/term/terminal_session.h"

namespace skimmer::host::app {

int runApp(const Options& options, const std::string& argv0) {
    (void)argv0;
    std::string error;
    auto session = term::TerminalSession::open(STDIN_FILENO, STDOUT_FILENO, error);
    if (!session) {
        std::fprintf(stderr, "skimmer: %s\n", error.c_str());
        return 1;
    }
    term::installCrashRestore();
    term::SignalPipe::install();
    if (!session->enter()) {
        std::fprintf(stderr, "skimmer: the terminal refused raw mode\n");
        return 1;
    }
    TerminalConsole console(*session);
    Manager manager(console, ManagerDialogs{});
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec || !manager.openFolder(cwd.string())) manager.openFolder("/");
    if (options.text) manager.commandLine().setText(*options.text);
    manager.run();
    session->leave();
    return 0;
}

}  // namespace skimmer::host::app
