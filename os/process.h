// A child process that we started and that we own until it has ended.
//
// Contract:
// - A program is started from an argument vector: never through a shell, so no byte of any
//   argument is ever interpreted. On Linux with posix_spawn (argv[0] without a '/' is searched on
//   PATH); on Windows with CreateProcessW and a command line quoted by os/command_line.h, so the
//   child's C runtime splits it back into exactly these arguments (argv[0] without a separator is
//   searched as CreateProcessW searches).
// - Linux: the child runs in its own process group (or its own session when detached), with the
//   default disposition for every signal and an empty signal mask. Windows: the child has no
//   console window (CREATE_NO_WINDOW) and runs in a job object of its own, so everything it starts
//   ends with it; a detached child is in no job and outlives us. (One exception: on Windows 7, in
//   a job that forbids leaving it, a child cannot have a job of its own; terminating it then ends
//   the child alone.)
// - The child inherits no descriptor or handle of ours except its three standard ones: stdin is
//   the null device unless the child takes over the terminal, stdout is the null device, the
//   terminal, or a pipe we read; stderr may go to a pipe of its own that we read (never to our
//   terminal). Our ends of the pipes are never inherited by any child.
// - Reads from the pipe never block. Waiting takes an explicit timeout.
// - The destructor of a process that has neither ended nor been detached kills it with everything
//   it started (its process group, its job) and reaps it, so a Process never leaves a zombie, an
//   orphaned group or a running tree behind.
// - Errors are reported as text (the layer's convention: result value plus error text).
#pragma once

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
    // our screen. Its standard descriptors are /dev/null (Windows: a detached process, in no job
    // of ours, its standard handles the NUL device).
    bool detachSession = false;
    // >= 0: the child inherits our standard descriptors and its process group becomes the
    // foreground group of this terminal while it runs (a viewer or editor that takes the screen).
    // Windows: the child shares our console and standard handles instead (the value is not used).
    int foregroundTerminal = -1;
};

// How a child ended.
struct ExitStatus {
    // true: `code` is the exit code; false: killed (by `signal` on Linux; on Windows ended by
    // terminate(), or seen to end without an exit code we could read)
    bool exited = false;
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

    // The process id the system gave the child.
    int pid() const;

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
    bool hasOutputPipe() const;  // the stdout pipe is open (not captured, or its end was read: false)
    // The same for the stderr pipe.
    ReadState readError(std::string& out, size_t maxBytes = 65536);
    bool hasErrorPipe() const;

    // Kills the whole process group (Windows: the job) and reaps the child. Safe to call more than once.
    ExitStatus terminate();

    // Gives the child up: it keeps running, and a background waiter reaps it when it ends.
    void detach();

    // What the system needs to know of the child: defined by each system's process file, and
    // reached only by that system's own additions (os/process_fd.h on Linux).
    struct State;
    const State& state() const { return *state_; }

private:
    explicit Process(std::unique_ptr<State> state);

    std::unique_ptr<State> state_;
};

}  // namespace skimmer::os
