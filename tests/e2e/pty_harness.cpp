#include "tests/e2e/pty_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

extern char** environ;

namespace skimmer::test {
namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void writeAll(int fd, const std::string& s) {
    size_t off = 0;
    while (off < s.size()) {
        const ssize_t n = ::write(fd, s.data() + off, s.size() - off);
        if (n <= 0) return;
        off += static_cast<size_t>(n);
    }
}

// The stand-in shell, in the forked child: take the terminal, start the program in its own
// foreground group, report its pid, wait for it, report how it ended. Never returns.
[[noreturn]] void standInShell(const char* slaveName, const PtyOptions& o, int infoFd, int master, int keep) {
    // Our copies of the master and the spare slave would keep the terminal alive after the test
    // hangs it up.
    close(master);
    close(keep);
    setsid();
    const int slave = ::open(slaveName, O_RDWR);  // first terminal opened: our controlling terminal
    if (slave < 0) _exit(120);
    ioctl(slave, TIOCSCTTY, 0);
    const pid_t child = fork();
    if (child == 0) {
        // The program takes the terminal itself too, as a job-control shell's child does: if it
        // waited for the shell's tcsetpgrp below, a busy machine could let it reach its first
        // tcsetattr still in a background group, and SIGTTOU would stop it for good.
        setpgid(0, 0);
        signal(SIGTTOU, SIG_IGN);
        tcsetpgrp(slave, getpid());
        signal(SIGTTOU, SIG_DFL);
        dup2(slave, 0);
        dup2(slave, 1);
        dup2(slave, 2);
        if (slave > 2) close(slave);
        close(infoFd);
        if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) _exit(121);
        for (const auto& [k, v] : o.env) setenv(k.c_str(), v.c_str(), 1);
        std::vector<char*> argv;
        for (const auto& a : o.argv) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
    setpgid(child, child);
    signal(SIGTTOU, SIG_IGN);
    tcsetpgrp(slave, child);
    signal(SIGHUP, SIG_IGN);  // outlive a hang-up to report how the program took it
    writeAll(infoFd, std::to_string(child) + "\n");
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    const long cpuMs = usage.ru_utime.tv_sec * 1000 + usage.ru_utime.tv_usec / 1000 + usage.ru_stime.tv_sec * 1000 +
                       usage.ru_stime.tv_usec / 1000;
    char line[96];
    std::snprintf(line, sizeof line, "%d %d %d %ld\n", WIFEXITED(status) ? 1 : 0,
                  WIFEXITED(status) ? WEXITSTATUS(status) : 0, WIFSIGNALED(status) ? WTERMSIG(status) : 0, cpuMs);
    writeAll(infoFd, line);
    _exit(0);
}

std::string readLine(int fd, int timeoutMs) {
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char c;
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, remainingMs(deadline)) <= 0) return {};
        if (::read(fd, &c, 1) != 1) return {};
        if (c == '\n') return line;
        line += c;
    }
}

}  // namespace

bool sameModes(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

PtyProgram::PtyProgram(const PtyOptions& o) : screen_(o.cols, o.rows) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(master_);
    unlockpt(master_);
    winsize ws{};
    ws.ws_col = static_cast<unsigned short>(o.cols);
    ws.ws_row = static_cast<unsigned short>(o.rows);
    ioctl(master_, TIOCSWINSZ, &ws);
    tcgetattr(master_, &initial_);
    const std::string slaveName = ptsname(master_);
    slaveKeep_ = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    int info[2];
    if (pipe2(info, O_CLOEXEC) != 0) return;
    shell_ = fork();
    if (shell_ == 0) {
        close(info[0]);
        fcntl(info[1], F_SETFD, 0);
        standInShell(slaveName.c_str(), o, info[1], master_, slaveKeep_);
    }
    close(info[1]);
    infoFd_ = info[0];
    const std::string pid = readLine(infoFd_, 5000);
    pid_ = pid.empty() ? -1 : std::stoi(pid);
}

PtyProgram::~PtyProgram() {
    if (!exit_ && pid_ > 0) {
        kill(pid_, SIGCONT);
        kill(pid_, SIGKILL);
    }
    if (shell_ > 0) {
        kill(shell_, SIGKILL);
        waitpid(shell_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
    if (slaveKeep_ >= 0) close(slaveKeep_);
    if (infoFd_ >= 0) close(infoFd_);
}

void PtyProgram::send(std::string_view bytes) {
    size_t off = 0;
    while (off < bytes.size() && master_ >= 0) {
        const ssize_t n = ::write(master_, bytes.data() + off, bytes.size() - off);
        if (n <= 0) return;
        off += static_cast<size_t>(n);
    }
}

void PtyProgram::pump(int timeoutMs) {
    if (master_ < 0) return;
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return;
    char buf[65536];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) return;
    output_.append(buf, static_cast<size_t>(n));
    screen_.feed(std::string_view(buf, static_cast<size_t>(n)));
    const std::string replies = screen_.takeReplies();
    if (!replies.empty()) send(replies);
}

bool PtyProgram::waitFor(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        const int left = remainingMs(deadline);
        if (left == 0) return false;
        pump(std::min(left, 50));
    }
    return true;
}

bool PtyProgram::waitForQuiet(int quietMs, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t seen = output_.size();
    auto quietSince = Clock::now();
    while (Clock::now() - quietSince < std::chrono::milliseconds(quietMs)) {
        const int left = remainingMs(deadline);
        if (left == 0) return false;
        pump(std::min(left, 20));
        if (output_.size() != seen) {
            seen = output_.size();
            quietSince = Clock::now();
        }
    }
    return true;
}

bool PtyProgram::waitForText(std::string_view text, int timeoutMs) {
    return waitFor([&] { return screen_.contains(text); }, timeoutMs);
}

void PtyProgram::resize(int cols, int rows) {
    winsize ws{};
    ws.ws_col = static_cast<unsigned short>(cols);
    ws.ws_row = static_cast<unsigned short>(rows);
    ioctl(master_, TIOCSWINSZ, &ws);  // the kernel sends SIGWINCH to the foreground group
    screen_.resize(cols, rows);
}

termios PtyProgram::modes() const {
    termios t{};
    tcgetattr(master_, &t);
    return t;
}

char PtyProgram::state() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t paren = all.rfind(')');
    return paren == std::string::npos || paren + 2 >= all.size() ? 0 : all[paren + 2];
}

void PtyProgram::closeMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

std::optional<PtyExit> PtyProgram::waitExit(int timeoutMs) {
    if (exit_) return exit_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Keep draining the terminal so that a program writing on exit is never blocked by us.
    pollfd p{infoFd_, POLLIN, 0};
    while (poll(&p, 1, 0) == 0) {
        if (remainingMs(deadline) == 0) return std::nullopt;
        if (master_ >= 0) pump(20);
        else poll(&p, 1, std::min(remainingMs(deadline), 50));
    }
    const std::string line = readLine(infoFd_, remainingMs(deadline));
    PtyExit e;
    int exited = 0;
    if (std::sscanf(line.c_str(), "%d %d %d %ld", &exited, &e.code, &e.signal, &e.cpuMs) != 4) return std::nullopt;
    e.exited = exited != 0;
    exit_ = e;
    // Whatever the program wrote before it ended is already in the terminal's buffer: take all of
    // it, so output() is complete once the exit is known.
    if (master_ >= 0) {
        size_t before;
        do {
            before = output_.size();
            pump(0);
        } while (output_.size() != before);
    }
    return exit_;
}

}  // namespace skimmer::test
