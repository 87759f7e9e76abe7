#include "host/services/foreground.h"

namespace skimmer::host::services {
namespace {

// resume() runs on every path out, also when starting throws (out of memory).
class Suspended {
public:
    explicit Suspended(TerminalHandover& t) : t_(t) { t_.suspend(); }
    ~Suspended() { t_.resume(); }
    Suspended(const Suspended&) = delete;
    Suspended& operator=(const Suspended&) = delete;

private:
    TerminalHandover& t_;
};

}  // namespace

ForegroundResult runInForeground(const std::vector<std::vector<std::string>>& candidates,
                                 const std::string& workingDirectory, TerminalHandover& terminal) {
    ForegroundResult result;
    Suspended suspended(terminal);
    for (const auto& argv : candidates) {
        std::string error;
        auto child = os::Process::start(
            {.argv = argv, .workingDirectory = workingDirectory, .foregroundTerminal = terminal.terminalFd()}, error);
        if (!child) {
            result.error += (result.error.empty() ? "" : "\n") + error;
            continue;
        }
        result.started = true;
        result.argv = argv;
        result.status = child->waitUntilEnded();
        result.error.clear();
        break;
    }
    if (candidates.empty()) result.error = "no program to run";
    return result;
}

}  // namespace skimmer::host::services
