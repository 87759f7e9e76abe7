// Owns the terminal for the life of the program: raw mode, the alternate screen, mouse, bracketed
// paste and the keyboard protocols (xterm modifyOtherKeys level 2, kitty flag 1), and the one
// write path to the terminal.
//
// Contract:
// - `leave()` puts back exactly the termios found at `open()` and switches every mode we turned on
//   off again, in reverse order. It runs from the destructor, from `suspend`, before a child program
//   gets the terminal, and (in its async-signal-safe form) from the crash handlers that
//   `installCrashRestore()` sets up, which then re-raise the signal.
// - `write()` writes all bytes or reports failure. EIO/EPIPE (the terminal hung up) and a terminal
//   that stays unwritable for `kWriteStallMs` mark the session hung up; later writes are dropped at
//   once, so a dead terminal never causes a busy loop. Text from data must have passed the
//   renderer (the sanitising sink) before it gets here.
// - One session per process (crash restore needs a process-wide record of it).
#pragma once

#include <termios.h>

#include <memory>
#include <string>
#include <string_view>

namespace skimmer::host::term {

struct TermSize {
    int width = 80;
    int height = 24;
};

class TerminalSession {
public:
    static constexpr int kWriteStallMs = 5000;

    // Fails (nullptr and a reason) unless `inFd` and `outFd` are the same terminal.
    static std::unique_ptr<TerminalSession> open(int inFd, int outFd, std::string& error);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    bool enter();  // raw mode and our modes on; false when the terminal refused raw mode
    void leave();  // back to exactly what was there before enter()
    bool active() const { return active_; }

    bool write(std::string_view bytes);
    // How long a non-blocking terminal may stay unwritable before it counts as hung up.
    void setWriteStallMs(int ms) { writeStallMs_ = ms; }
    bool hungUp() const { return hungUp_; }

    TermSize size() const;  // TIOCGWINSZ; 80x24 when the terminal does not say
    int inputFd() const { return inFd_; }
    int outputFd() const { return outFd_; }

    // The bytes that switch our modes on and off, for tests and the crash path.
    static std::string_view enterSequence();
    static std::string_view leaveSequence();

private:
    TerminalSession(int inFd, int outFd, const termios& saved);

    int inFd_;
    int outFd_;
    termios saved_;
    bool active_ = false;
    bool hungUp_ = false;
    int writeStallMs_ = kWriteStallMs;
};

// Crash signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) and std::terminate restore the terminal
// of the active session, then die as they would have. Idempotent.
void installCrashRestore();

}  // namespace skimmer::host::term
