#include "host/term/signal_pipe.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>

namespace skimmer::host::term {
namespace {

constexpr std::array kRecorded = {SIGWINCH, SIGTSTP, SIGCONT, SIGHUP, SIGTERM, SIGINT, SIGQUIT};

int gWriteFd = -1;
std::atomic<bool> gPending[NSIG];  // lock-free, so safe to touch from a handler
static_assert(std::atomic<bool>::is_always_lock_free);

void recordSignal(int sig) {
    const int saved = errno;
    gPending[sig].store(true);
    const char byte = static_cast<char>(sig);
    ssize_t ignored = ::write(gWriteFd, &byte, 1);  // a full pipe already holds a wake-up
    (void)ignored;
    errno = saved;
}

void setHandler(int sig) {
    struct sigaction sa {};
    sa.sa_handler = recordSignal;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

}  // namespace

SignalPipe::SignalPipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    readFd_ = fds[0];
    gWriteFd = fds[1];
    signal(SIGPIPE, SIG_IGN);
    for (int sig : kRecorded) setHandler(sig);
}

SignalPipe& SignalPipe::install() {
    static SignalPipe instance;  // lives until exit: the handlers use its descriptor
    return instance;
}

std::vector<int> SignalPipe::take() {
    char drain[64];
    while (::read(readFd_, drain, sizeof drain) > 0) {
    }
    std::vector<int> got;
    for (int sig : kRecorded) {
        if (gPending[sig].exchange(false)) got.push_back(sig);
    }
    return got;
}

void SignalPipe::suspendSelf() {
    signal(SIGTSTP, SIG_DFL);
    raise(SIGTSTP);  // stops here until SIGCONT
    setHandler(SIGTSTP);
}

}  // namespace skimmer::host::term
