#include "os/process.h"

#include "os/process_fd.h"
#include "os/unique_fd.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace skimmer::os {

struct Process::State {
    pid_t pid;
    int outFd;   // read end of the stdout pipe, non-blocking, close-on-exec; -1 without
    int errFd;   // read end of the stderr pipe, the same way
    int pidFd;   // pidfd for waiting with a timeout; -1 when the kernel has none
    int terminal = -1;  // the terminal the child holds in the foreground; ours again once it ends
    std::optional<ExitStatus> status;
    bool detached = false;

    std::optional<ExitStatus> reapNow();
    void recordStatus(int rawWaitStatus);
    void closeDescriptors();
};

namespace {

using Clock = std::chrono::steady_clock;

std::string describe(const std::string& program, int err) {
    return "cannot start " + program + ": " + std::strerror(err);
}

// posix_spawn's attribute and file-action objects, destroyed on every path out of start().
struct SpawnAttr {
    posix_spawnattr_t attr;
    SpawnAttr() { posix_spawnattr_init(&attr); }
    ~SpawnAttr() { posix_spawnattr_destroy(&attr); }
};
struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

// A host may ignore SIGPIPE or block SIGWINCH for its own loop; ignored and blocked signals
// survive exec, so the child gets every disposition reset and an empty mask.
void configureAttributes(posix_spawnattr_t& attr, const LaunchSpec& launch) {
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if (launch.detachSession) {
        flags |= POSIX_SPAWN_SETSID;
    } else {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attr, 0);
    }
    posix_spawnattr_setflags(&attr, flags);
}

// Every descriptor above 2 is closed in the child: it sees our pipes, sockets, the hive lock
// and the index only if we pass them, and we never do.
int configureDescriptors(posix_spawn_file_actions_t& fa, const LaunchSpec& launch, int pipeWrite, int errWrite) {
    int rc = 0;
    if (launch.foregroundTerminal >= 0 && !launch.detachSession) {
        rc = posix_spawn_file_actions_addtcsetpgrp_np(&fa, launch.foregroundTerminal);
    } else {
        rc = posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        if (rc == 0 && pipeWrite >= 0) rc = posix_spawn_file_actions_adddup2(&fa, pipeWrite, 1);
        if (rc == 0 && pipeWrite < 0) rc = posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        if (rc == 0 && errWrite >= 0) rc = posix_spawn_file_actions_adddup2(&fa, errWrite, 2);
        if (rc == 0 && errWrite < 0) rc = posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    }
    if (rc == 0 && !launch.workingDirectory.empty())
        rc = posix_spawn_file_actions_addchdir_np(&fa, launch.workingDirectory.c_str());
    if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&fa, 3);
    return rc;
}

int openPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    long fd = syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(fd);
    }
#else
    (void)pid;
#endif
    return -1;  // an old kernel: waitFor() falls back to short polls
}

ExitStatus decode(int raw) {
    ExitStatus s;
    if (WIFEXITED(raw)) {
        s.exited = true;
        s.code = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
        s.signal = WTERMSIG(raw);
    }
    return s;
}

// A close-on-exec pipe when `wanted`; true (with both ends left empty) when not.
bool openPipe(bool wanted, UniqueFd& readEnd, UniqueFd& writeEnd) {
    if (!wanted) return true;
    int fds[2] = {-1, -1};
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    return true;
}

// Appends what `fd` holds now; closes it (and sets it to -1) at end of file.
ReadState readPipe(int& fd, std::string& out, size_t maxBytes) {
    if (fd < 0) return ReadState::EndOfFile;
    char buffer[65536];
    size_t want = std::min(maxBytes, sizeof buffer);
    for (;;) {
        ssize_t n = read(fd, buffer, want);
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
            return ReadState::Data;
        }
        if (n == 0) {
            // Closed for good: stop polling it, or a child that closes the pipe and runs on would
            // make every waitForEvent() return at once.
            close(fd);
            fd = -1;
            return ReadState::EndOfFile;
        }
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? ReadState::Nothing : ReadState::Error;
    }
}

int remainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// The terminal goes back to our process group after a foreground child. We are a background group
// at that moment, so SIGTTOU must be blocked or the kernel would stop us for asking.
void reclaimTerminal(int tty) {
    sigset_t block;
    sigset_t old;
    sigemptyset(&block);
    sigaddset(&block, SIGTTOU);
    pthread_sigmask(SIG_BLOCK, &block, &old);
    tcsetpgrp(tty, getpgrp());
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

}  // namespace

std::unique_ptr<Process> Process::start(const LaunchSpec& launch, std::string& error) {
    if (launch.argv.empty() || launch.argv[0].empty()) {
        error = "cannot start a program without a name";
        return nullptr;
    }
    const bool piped = !launch.detachSession && launch.foregroundTerminal < 0;
    UniqueFd outRead, outWrite, errRead, errWrite;
    if (!openPipe(piped && launch.captureStdout, outRead, outWrite) ||
        !openPipe(piped && launch.captureStderr, errRead, errWrite)) {
        error = describe(launch.argv[0], errno);
        return nullptr;
    }
    SpawnAttr attr;
    SpawnActions actions;
    configureAttributes(attr.attr, launch);
    int rc = configureDescriptors(actions.actions, launch, outWrite.get(), errWrite.get());

    std::vector<char*> argv;
    for (const auto& a : launch.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (rc == 0) rc = posix_spawnp(&pid, argv[0], &actions.actions, &attr.attr, argv.data(), environ);
    // Our copies of the write ends go at once: the pipes then report end of file when the child
    // (and whatever it started) has closed them, and a read never waits for our own copy.
    outWrite.reset();
    errWrite.reset();
    if (rc != 0) {
        error = describe(launch.argv[0], rc);
        return nullptr;
    }
    for (const UniqueFd* fd : {&outRead, &errRead})
        if (fd->valid()) fcntl(fd->get(), F_SETFL, fcntl(fd->get(), F_GETFL) | O_NONBLOCK);
    auto state = std::make_unique<State>(State{.pid = pid, .outFd = outRead.release(), .errFd = errRead.release(),
                                               .pidFd = openPidFd(pid)});
    if (launch.foregroundTerminal >= 0 && !launch.detachSession) state->terminal = launch.foregroundTerminal;
    return std::unique_ptr<Process>(new Process(std::move(state)));
}

Process::Process(std::unique_ptr<State> state) : state_(std::move(state)) {}

Process::~Process() {
    if (!state_->status && !state_->detached) terminate();
    state_->closeDescriptors();
}

int Process::pid() const { return state_->pid; }
bool Process::hasOutputPipe() const { return state_->outFd >= 0; }
bool Process::hasErrorPipe() const { return state_->errFd >= 0; }
int outputFd(const Process& process) { return process.state().outFd; }
int errorFd(const Process& process) { return process.state().errFd; }

void Process::State::closeDescriptors() {
    if (outFd >= 0) close(outFd);
    if (errFd >= 0) close(errFd);
    if (pidFd >= 0) close(pidFd);
    outFd = -1;
    errFd = -1;
    pidFd = -1;
}

void Process::State::recordStatus(int raw) {
    status = decode(raw);
    if (pidFd >= 0) close(pidFd);
    pidFd = -1;
    if (terminal >= 0) reclaimTerminal(terminal);
}

std::optional<ExitStatus> Process::State::reapNow() {
    if (status || detached) return status;
    int raw = 0;
    pid_t r;
    do {
        r = waitpid(pid, &raw, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid) {
        recordStatus(raw);
    } else if (r < 0) {
        // ECHILD: someone reaped it behind our back (SIGCHLD set to SIG_IGN). It has ended.
        recordStatus(0);
        status->exited = false;
    }
    return status;
}

std::optional<ExitStatus> Process::waitFor(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto s = state_->reapNow(); s || state_->detached) return s;
        int left = remainingMs(deadline);
        if (left == 0) return std::nullopt;
        if (state_->pidFd >= 0) {
            pollfd p{state_->pidFd, POLLIN, 0};
            poll(&p, 1, left);  // EINTR or an event: either way, look again
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 5)));
        }
    }
}

ExitStatus Process::waitUntilEnded() {
    while (!state_->status && !state_->detached) {
        int raw = 0;
        pid_t r = waitpid(state_->pid, &raw, WUNTRACED);
        if (r == state_->pid && WIFSTOPPED(raw)) {
            kill(-state_->pid, SIGCONT);
        } else if (r == state_->pid) {
            state_->recordStatus(raw);
        } else if (r < 0 && errno != EINTR) {
            state_->recordStatus(0);
            state_->status->exited = false;
        }
    }
    return state_->status.value_or(ExitStatus{});
}

bool Process::waitForEvent(std::chrono::milliseconds timeout) {
    // Once the child has ended only its pipes can have news: something it started may still hold
    // them, and answering "ended" again and again would make the caller spin.
    const bool ended = state_->reapNow().has_value();
    pollfd p[3];
    nfds_t n = 0;
    if (state_->outFd >= 0) p[n++] = pollfd{state_->outFd, POLLIN, 0};
    if (state_->errFd >= 0) p[n++] = pollfd{state_->errFd, POLLIN, 0};
    if (!ended && state_->pidFd >= 0) p[n++] = pollfd{state_->pidFd, POLLIN, 0};
    if (n == 0) return ended || waitFor(timeout).has_value();
    int r = poll(p, n, static_cast<int>(timeout.count()));
    return r > 0 || (!ended && state_->reapNow().has_value());
}

ReadState Process::readOutput(std::string& out, size_t maxBytes) { return readPipe(state_->outFd, out, maxBytes); }

ReadState Process::readError(std::string& out, size_t maxBytes) { return readPipe(state_->errFd, out, maxBytes); }

ExitStatus Process::terminate() {
    if (!state_->status && !state_->detached) {
        // The group, not only the child: a wrapper script's own children die with it.
        kill(-state_->pid, SIGKILL);
        kill(state_->pid, SIGKILL);
        int raw = 0;
        pid_t r;
        do {
            r = waitpid(state_->pid, &raw, 0);
        } while (r < 0 && errno == EINTR);
        state_->recordStatus(r == state_->pid ? raw : 0);
    }
    return state_->status.value_or(ExitStatus{});
}

void Process::detach() {
    if (state_->status || state_->detached) return;
    state_->detached = true;
    pid_t pid = state_->pid;
    // The only owner left is this waiter; it ends with the child.
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    state_->closeDescriptors();
}

}  // namespace skimmer::os
