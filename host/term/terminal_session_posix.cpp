#include "host/term/terminal_session.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <exception>

namespace skimmer::host::term {
namespace {

// Alternate screen, auto-wrap off, bracketed paste, mouse (clicks, drags, any motion, SGR
// encoding), modifyOtherKeys level 2, kitty keyboard flags 1 pushed.
constexpr std::string_view kEnter =
    "\x1B[?1049h\x1B[?7l\x1B[?2004h\x1B[?1000h\x1B[?1002h\x1B[?1003h\x1B[?1006h\x1B[>4;2m\x1B[>1u";
constexpr std::string_view kLeave =
    "\x1B[<u\x1B[>4m\x1B[?1006l\x1B[?1003l\x1B[?1002l\x1B[?1000l\x1B[?2004l\x1B[0m\x1B[?25h\x1B[?7h"
    "\x1B[?1049l";

// What the crash path needs, kept where a signal handler can read it without locks.
struct CrashRecord {
    std::atomic<bool> armed{false};
    int fd = -1;
    termios saved{};
};
CrashRecord gCrash;

void restoreFromSignal() {
    if (!gCrash.armed.exchange(false)) return;
    tcsetattr(gCrash.fd, TCSANOW, &gCrash.saved);
    ssize_t ignored = ::write(gCrash.fd, kLeave.data(), kLeave.size());
    (void)ignored;  // nothing more can be done for a terminal while dying
}

void crashHandler(int sig) {
    restoreFromSignal();
    signal(sig, SIG_DFL);
    raise(sig);  // delivered when the handler returns: the default action (core dump) follows
}

std::terminate_handler gPreviousTerminate = nullptr;

void terminateHandler() {
    restoreFromSignal();
    if (gPreviousTerminate) gPreviousTerminate();
    std::abort();
}

}  // namespace

void installCrashRestore() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction sa {};
    sa.sa_handler = crashHandler;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) sigaction(sig, &sa, nullptr);
    gPreviousTerminate = std::set_terminate(terminateHandler);
}

std::string_view TerminalSession::enterSequence() { return kEnter; }
std::string_view TerminalSession::leaveSequence() { return kLeave; }

std::unique_ptr<TerminalSession> TerminalSession::open(int inFd, int outFd, std::string& error) {
    termios saved{};
    if (!isatty(inFd) || tcgetattr(inFd, &saved) != 0) {
        error = "standard input is not a terminal";
        return nullptr;
    }
    // The screen is drawn to the output and the keys are read from the input: with the output sent
    // elsewhere (`skimmer > file`) the user would type blind into a screen nobody sees.
    if (!isatty(outFd)) {
        error = "standard output is not a terminal (skimmer draws a full screen: do not redirect its output)";
        return nullptr;
    }
    struct stat in {}, out {};
    if (fstat(inFd, &in) != 0 || fstat(outFd, &out) != 0 || in.st_rdev != out.st_rdev) {
        error = "standard input and standard output are different terminals; run skimmer on one terminal";
        return nullptr;
    }
    return std::unique_ptr<TerminalSession>(new TerminalSession(inFd, outFd, saved));
}

TerminalSession::TerminalSession(int inFd, int outFd, const termios& saved)
    : inFd_(inFd), outFd_(outFd), saved_(saved) {}

TerminalSession::~TerminalSession() { leave(); }

bool TerminalSession::enter() {
    if (active_) return true;
    termios raw = saved_;
    cfmakeraw(&raw);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    // TCSADRAIN, not TCSAFLUSH: keys typed while we were away (suspended, or a command running)
    // are the user's and stay in the queue.
    if (tcsetattr(inFd_, TCSADRAIN, &raw) != 0) return false;
    gCrash.fd = inFd_;
    gCrash.saved = saved_;
    gCrash.armed = true;
    active_ = true;
    write(kEnter);
    return true;
}

void TerminalSession::leave() {
    if (!active_) return;
    active_ = false;
    gCrash.armed = false;
    write(kLeave);
    tcsetattr(inFd_, TCSADRAIN, &saved_);
}

bool TerminalSession::write(std::string_view bytes) {
    while (!bytes.empty() && !hungUp_) {
        const ssize_t n = ::write(outFd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A non-blocking terminal: wait until it drains, but not for ever.
            pollfd p{outFd_, POLLOUT, 0};
            if (poll(&p, 1, writeStallMs_) > 0 && !(p.revents & (POLLERR | POLLHUP | POLLNVAL))) continue;
        }
        hungUp_ = true;
    }
    return !hungUp_;
}

TermSize TerminalSession::size() const {
    winsize ws{};
    if (ioctl(outFd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) return {ws.ws_col, ws.ws_row};
    if (ioctl(inFd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) return {ws.ws_col, ws.ws_row};
    return {};
}

}  // namespace skimmer::host::term
