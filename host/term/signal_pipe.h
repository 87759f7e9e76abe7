// Signals that the main loop must act on, turned into readable bytes on a pipe (the self-pipe
// trick): the handlers only record, the loop polls `fd()` with its other descriptors and asks
// `take()` what happened.
//
// Contract: `install()` sets handlers for SIGWINCH, SIGTSTP, SIGCONT, SIGHUP, SIGTERM, SIGINT and
// SIGQUIT once per process and ignores SIGPIPE (a dead terminal is seen as EPIPE instead). The
// handlers are async-signal-safe and keep errno. `suspendSelf()` stops the process the way SIGTSTP
// would have, and returns after SIGCONT with our handler back in place.
#pragma once

#include <vector>

namespace skimmer::host::term {

class SignalPipe {
public:
    static SignalPipe& install();

    int fd() const { return readFd_; }
    // The signals recorded since the last call, each at most once.
    std::vector<int> take();

    static void suspendSelf();

private:
    SignalPipe();
    int readFd_ = -1;
};

}  // namespace skimmer::host::term
