// A child process that we started and that we own until it is reaped.
//
// Contract:
// - A program is started from an argument vector with posix_spawn: never through a shell, so no
//   byte of any argument is ever interpreted. argv[0] without a '/' is searched on PATH.
// - The child runs in its own process group (or its own session when detached), with the default
//   disposition for every signal and an empty signal mask, and inherits no descriptor of ours
//   except the three standard ones: stdin/stderr are /dev/null unless the child
//   takes over the terminal, stdout is /dev/null, the terminal, or a pipe we read; stderr may
//   go to a pipe of its own that we read (never to our terminal).
// - Reads from the pipe never block. Waiting takes an explicit timeout.
// - The destructor of a process that was neither reaped nor detached kills its whole process group
//   and reaps it, so a Process never leaves a zombie or an orphaned group behind.
// - Errors are reported as text (the layer's convention: result value plus error text).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skimmer::os {

struct LaunchSpec {
    std::vector<std::string> argv;  // argv[0] is the program; must not be empty
    std::string workingDirectory;   // empty: the caller's
    bool captureStdout = false;     // stdout on a pipe that readOutput() drains
    bool captureStderr = false;     // stderr on a pipe of its own that readError() drains
    // A new session without a controlling terminal: the child outlives us and can never draw on
    // our screen. Its standard descriptors are /dev/null.
    bool detachSession = false;
    // >= 0: the child inherits our standard descriptors and its process group becomes the
    // foreground group of this terminal while it runs (a viewer or editor that takes the screen).
    int foregroundTerminal = -1;
};

// How a child ended.
struct ExitStatus {
    bool exited = false;  // true: `code` is the exit code; false: killed by `signal`
    int code = 0;
    int signal = 0;
    bool success() const { return exited && code == 0; }
};

enum class ReadState { Data, Nothing, EndOfFile, Error };

class Process {
public:
    // Starts the program. On failure returns null and sets `error` to one line naming the program
    // and the reason ("cannot start xdg-open: No such file or directory").
    static std::unique_ptr<Process> start(const LaunchSpec& launch, std::string& error);

    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }

    // Waits at most `timeout` for the child to end and reaps it. None while it still runs.
    // A zero timeout only asks "has it ended?".
    std::optional<ExitStatus> waitFor(std::chrono::milliseconds timeout);
    bool hasEnded() { return waitFor(std::chrono::milliseconds(0)).has_value(); }

    // Waits until the child ends, however long that takes. A child stopped by the terminal
    // (Ctrl+Z in a pager) is continued: we have no job control to offer it.
    ExitStatus waitUntilEnded();

    // Waits at most `timeout` until output (stdout or stderr) can be read or the child ends. True
    // when one of them happened (so a following readOutput, readError or hasEnded has news). Once
    // the child has ended and been reaped, only the pipes still open are waited for.
    bool waitForEvent(std::chrono::milliseconds timeout);

    // Appends what the pipe holds right now (at most `maxBytes`) to `out`. Never blocks. After
    // EndOfFile the pipe is closed and every later read answers EndOfFile.
    ReadState readOutput(std::string& out, size_t maxBytes = 65536);
    int outputFd() const { return outFd_; }  // for the caller's own poll(); -1 without an open pipe
    // The same for the stderr pipe.
    ReadState readError(std::string& out, size_t maxBytes = 65536);
    int errorFd() const { return errFd_; }

    // Kills the whole process group and reaps the child. Safe to call more than once.
    ExitStatus terminate();

    // Gives the child up: it keeps running, and a background waiter reaps it when it ends.
    void detach();

private:
    Process(pid_t pid, int outFd, int errFd, int pidFd) : pid_(pid), outFd_(outFd), errFd_(errFd), pidFd_(pidFd) {}
    std::optional<ExitStatus> reapNow();
    void recordStatus(int rawWaitStatus);
    void closeDescriptors();

    pid_t pid_;
    int outFd_;   // read end of the stdout pipe, non-blocking, close-on-exec; -1 without
    int errFd_;   // read end of the stderr pipe, the same way
    int pidFd_;   // pidfd for waiting with a timeout; -1 when the kernel has none
    int terminal_ = -1;  // the terminal the child holds in the foreground; ours again once it ends
    std::optional<ExitStatus> status_;
    bool detached_ = false;
};

}  // namespace skimmer::os
