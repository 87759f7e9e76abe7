#include "os/process.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include "tests/support/open_descriptors.h"

namespace skimmer::os {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<Process> startOrFail(LaunchSpec launch) {
    std::string error;
    auto p = Process::start(launch, error);
    EXPECT_TRUE(p) << error;
    return p;
}

std::string drain(Process& p) {
    std::string out;
    for (int i = 0; i < 1000; ++i) {
        if (p.readOutput(out) == ReadState::EndOfFile) return out;
        p.waitForEvent(100ms);
    }
    ADD_FAILURE() << "no end of output";
    return out;
}

// A process that is gone or a zombie of someone else (our reaper, init) no longer runs.
bool running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    auto close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

bool endsWithin(pid_t pid, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (running(pid) && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    return !running(pid);
}

TEST(Process, ArgumentsArriveByteForByteWithoutAShell) {
    const std::string hostile = "a; touch pwned $(id) `id` \"q\" 'q'\nline2";
    auto p = startOrFail({.argv = {"printf", "%s|%s", hostile, "-rf"}, .captureStdout = true});
    EXPECT_EQ(drain(*p), hostile + "|-rf");
    auto s = p->waitFor(5s);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->success());
}

TEST(Process, ReportsExitCodeAndSignal) {
    auto p = startOrFail({.argv = {"sh", "-c", "exit 3"}});
    auto s = p->waitFor(10s);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->exited);
    EXPECT_EQ(s->code, 3);

    auto q = startOrFail({.argv = {"sleep", "100"}});
    EXPECT_FALSE(q->waitFor(0ms));
    EXPECT_FALSE(q->hasEnded());
    auto t = q->terminate();
    EXPECT_FALSE(t.exited);
    EXPECT_EQ(t.signal, SIGKILL);
    EXPECT_TRUE(q->hasEnded());
}

TEST(Process, MissingProgramIsAnErrorNamingIt) {
    std::string error;
    auto p = Process::start({.argv = {"skimmer-no-such-program"}}, error);
    EXPECT_FALSE(p);
    EXPECT_NE(error.find("skimmer-no-such-program"), std::string::npos);
    EXPECT_NE(error.find("No such file"), std::string::npos);
    EXPECT_FALSE(Process::start({.argv = {}}, error));
}

TEST(Process, ReadingNeverBlocks) {
    auto p = startOrFail({.argv = {"sleep", "100"}, .captureStdout = true});
    std::string out;
    EXPECT_EQ(p->readOutput(out), ReadState::Nothing);
    EXPECT_FALSE(p->waitForEvent(10ms));
    EXPECT_TRUE(out.empty());
}

TEST(Process, ClosedOutputOfARunningChildIsNoEvent) {
    auto p = startOrFail({.argv = {"sh", "-c", "echo last; exec >&-; sleep 100"}, .captureStdout = true});
    std::string out;
    while (p->readOutput(out) != ReadState::EndOfFile) ASSERT_TRUE(p->waitForEvent(10s));
    EXPECT_EQ(out, "last\n");
    EXPECT_FALSE(p->hasOutputPipe());
    EXPECT_FALSE(p->waitForEvent(20ms)) << "a closed pipe must not wake the caller again and again";
    EXPECT_EQ(p->readOutput(out), ReadState::EndOfFile);
}

TEST(Process, OwnProcessGroupAndSession) {
    auto p = startOrFail({.argv = {"sleep", "100"}});
    EXPECT_EQ(getpgid(p->pid()), p->pid());
    EXPECT_EQ(getsid(p->pid()), getsid(0));
    auto d = startOrFail({.argv = {"sleep", "100"}, .detachSession = true});
    EXPECT_EQ(getsid(d->pid()), d->pid());
}

TEST(Process, InheritsNoDescriptorAndNoIgnoredSignal) {
    int leaked = open("/dev/null", O_RDONLY);  // deliberately without O_CLOEXEC
    ASSERT_GE(leaked, 3);
    auto previous = signal(SIGPIPE, SIG_IGN);
    auto p = startOrFail({.argv = {"readlink", "/proc/self/fd/" + std::to_string(leaked)}});
    auto q = startOrFail({.argv = {"grep", "-E", "^Sig(Ign|Blk)", "/proc/self/status"}, .captureStdout = true});
    signal(SIGPIPE, previous);
    close(leaked);
    auto s = p->waitFor(10s);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->code, 1) << "the child saw our descriptor";
    // Signals 32 and 33 belong to the C library and are left to it; every standard signal is reset.
    std::string status = drain(*q);
    ASSERT_EQ(status.size(), 50u) << status;
    EXPECT_EQ(status.substr(0, 25), "SigBlk:\t0000000000000000\n");
    EXPECT_EQ(std::stoull(status.substr(33, 16), nullptr, 16) & 0x7fffffffull, 0u) << status;
}

TEST(Process, DestructorKillsAndReapsTheWholeGroup) {
    size_t before = ::skimmer::test::openDescriptorCount();
    pid_t child = 0;
    pid_t grandchild = 0;
    {
        auto p = startOrFail({.argv = {"sh", "-c", "sleep 100 & echo $!; wait"}, .captureStdout = true});
        child = p->pid();
        std::string out;
        while (out.find('\n') == std::string::npos && p->waitForEvent(10s)) p->readOutput(out);
        grandchild = std::stoi(out);
    }
    EXPECT_EQ(::skimmer::test::openDescriptorCount(), before);
    errno = 0;
    EXPECT_EQ(waitpid(child, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "the child was not reaped";
    EXPECT_TRUE(endsWithin(grandchild, 10s)) << "the grandchild survived";
}

TEST(Process, TerminateTwiceAndAfterExitIsHarmless) {
    auto p = startOrFail({.argv = {"true"}});
    auto s = p->waitFor(10s);
    ASSERT_TRUE(s);
    EXPECT_TRUE(p->terminate().success());
    EXPECT_TRUE(p->terminate().success());
}

TEST(Process, DetachedChildKeepsRunningAndIsReapedLater) {
    size_t before = ::skimmer::test::openDescriptorCount();
    pid_t pid = 0;
    {
        auto p = startOrFail({.argv = {"sleep", "100"}, .detachSession = true});
        pid = p->pid();
        p->detach();
    }
    EXPECT_EQ(::skimmer::test::openDescriptorCount(), before);
    EXPECT_TRUE(running(pid));
    kill(pid, SIGKILL);
    EXPECT_TRUE(endsWithin(pid, 10s));
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::filesystem::exists("/proc/" + std::to_string(pid)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid))) << "left a zombie";
}

// In a session of its own with a pseudo-terminal as controlling terminal, a foreground child owns
// the terminal while it runs and gives it back when it ends.
int foregroundRoundTrip(int master, int slave) {
    close(master);
    if (setsid() < 0 || ioctl(slave, TIOCSCTTY, 0) < 0) return 10;
    // The child checks that its own process group is the terminal's foreground group.
    std::string error;
    auto p = Process::start({.argv = {"sh", "-c", "test \"$(cut -d' ' -f5 /proc/$$/stat)\" = "
                                                  "\"$(cut -d' ' -f8 /proc/$$/stat)\""},
                             .foregroundTerminal = slave},
                            error);
    if (!p) return 11;
    ExitStatus s = p->waitUntilEnded();
    if (!s.success()) return 12;
    if (tcgetpgrp(slave) != getpgrp()) return 13;
    return 0;
}

TEST(Process, ForegroundChildOwnsTheTerminalAndGivesItBack) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(foregroundRoundTrip(master, slave));
    close(slave);
    int raw = 0;
    ASSERT_EQ(waitpid(pid, &raw, 0), pid);
    close(master);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << "10 no session, 11 no start, 12 not in the foreground, 13 not given back";
}

TEST(Process, WorkingDirectory) {
    auto p = startOrFail({.argv = {"pwd"}, .workingDirectory = "/usr", .captureStdout = true});
    EXPECT_EQ(drain(*p), "/usr\n");
}

// Standard error on a pipe of its own: both streams arrive apart, both are drained without
// blocking each other, and after the child has ended a wait has news only from open pipes.
TEST(ProcessStderr, OnAPipeOfItsOwnApartFromStdout) {
    auto p = startOrFail({.argv = {"sh", "-c", "echo out; echo err >&2; head -c 200000 /dev/zero >&2; echo end"},
                          .captureStdout = true, .captureStderr = true});
    ASSERT_TRUE(p->hasErrorPipe());
    std::string out, err;
    bool outDone = false, errDone = false;
    for (int i = 0; i < 1000 && !(outDone && errDone); ++i) {
        outDone = outDone || p->readOutput(out) == ReadState::EndOfFile;
        errDone = errDone || p->readError(err) == ReadState::EndOfFile;
        if (!(outDone && errDone)) p->waitForEvent(100ms);
    }
    EXPECT_EQ(out, "out\nend\n");
    ASSERT_EQ(err.size(), 4u + 200000u);
    EXPECT_TRUE(err.starts_with("err\n"));
    EXPECT_FALSE(p->hasErrorPipe());
    EXPECT_TRUE(p->waitUntilEnded().success());
    EXPECT_TRUE(p->waitForEvent(0ms)) << "ended, no pipe left: the news is the end";
}

TEST(ProcessStderr, WithoutCaptureItGoesNowhereNearOurTerminal) {
    auto p = startOrFail({.argv = {"sh", "-c", "echo err >&2"}, .captureStdout = true});
    EXPECT_FALSE(p->hasErrorPipe());
    EXPECT_EQ(drain(*p), "");
    std::string err;
    EXPECT_EQ(p->readError(err), ReadState::EndOfFile);
}

}  // namespace
}  // namespace skimmer::os
