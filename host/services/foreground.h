// Running a program in the foreground of our own terminal: the host steps aside (leaves the
// alternate screen, restores the terminal modes), the program owns the terminal until it ends,
// and the host takes the terminal back and redraws.
//
// Contract:
// - The app implements TerminalHandover; these functions call suspend() exactly once before the
//   program starts and resume() exactly once after it ended or failed to start, whatever happens.
// - Programs start from argument vectors (never through a shell), in their own process group,
//   which is the terminal's foreground group while they run, so Ctrl+C reaches them and not us.
// - The call blocks until the program ends; it is meant for the UI thread, which has nothing else
//   to do while another program draws on its terminal.
#pragma once

#include <string>
#include <vector>

#include "os/process.h"

namespace skimmer::host::services {

class TerminalHandover {
public:
    virtual ~TerminalHandover() = default;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // The terminal the program gets (our controlling terminal), or -1 for none: the program then
    // runs with its standard descriptors on /dev/null.
    virtual int terminalFd() const = 0;
};

struct ForegroundResult {
    bool started = false;
    std::string error;            // why nothing could be started (one line per candidate tried)
    std::vector<std::string> argv;  // what ran
    os::ExitStatus status;
};

// Runs the first candidate that can be started (a missing program moves on to the next one).
ForegroundResult runInForeground(const std::vector<std::vector<std::string>>& candidates,
                                 const std::string& workingDirectory, TerminalHandover& terminal);

}  // namespace skimmer::host::services
