// os::Process on Windows, against the system's (Wine's) real processes, pipes and jobs. The child
// is the Locate.exe stand-in, which can echo its arguments, fail, flood and hang.
#include "os/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "os/wide_text.h"
#include "tests/support/fake_locate_exe.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class WindowsProcess : public ::testing::Test {
protected:
    std::string install(const std::string& control) {
        return test::installFakeLocateExe(folder, control).string();
    }
    std::unique_ptr<Process> startOrFail(LaunchSpec launch) {
        std::string error;
        auto p = Process::start(launch, error);
        EXPECT_TRUE(p) << error;
        return p;
    }
    // Everything the child prints, until its output ends.
    static std::string drain(Process& p, ReadState (Process::*read)(std::string&, size_t) = &Process::readOutput) {
        std::string out;
        const auto deadline = Clock::now() + 60s;
        while (Clock::now() < deadline) {
            if ((p.*read)(out, 65536) == ReadState::EndOfFile) return out;
            p.waitForEvent(100ms);
        }
        ADD_FAILURE() << "no end of output";
        return out;
    }

    test::TempHome home;
    std::filesystem::path folder = home.root() / "program folder";
};

std::vector<std::string> splitAtNul(const std::string& bytes) {
    std::vector<std::string> words;
    std::string word;
    for (char c : bytes) {
        if (c == '\0') words.push_back(std::exchange(word, {}));
        else word += c;
    }
    return words;
}

class HostileArguments : public WindowsProcess, public ::testing::WithParamInterface<std::vector<std::string>> {};

// Each argument arrives in the child's argv exactly as given, however the C runtime's splitting
// rules or a command interpreter would read it.
TEST_P(HostileArguments, ReachTheChildUnchanged) {
    const std::string program = install("echo\n");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), GetParam().begin(), GetParam().end());
    auto p = startOrFail({.argv = argv, .captureStdout = true});
    ASSERT_TRUE(p);
    EXPECT_EQ(splitAtNul(drain(*p)), GetParam());
    const auto status = p->waitFor(10s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->success());
    EXPECT_FALSE(std::filesystem::exists(folder / "pwned"));
}

INSTANTIATE_TEST_SUITE_P(
    Words, HostileArguments,
    ::testing::Values(std::vector<std::string>{"plain"}, std::vector<std::string>{"two words", "", "tab\there"},
                      std::vector<std::string>{"\"", "say \"hi\"", "a\\\"b", "a\\\\\\\"b"},
                      std::vector<std::string>{"C:\\dir\\", "C:\\a b\\\\", "\\\\server\\share\\"},
                      std::vector<std::string>{"%PATH%", "a&b|c^d<e>f", "(x) & echo pwned > pwned", "!x!"},
                      std::vector<std::string>{"caf\xE9", "na\xEFve \xC9t\xE9"},  // in the ANSI code page
                      std::vector<std::string>{"-rf", "/?", "--"}));

struct ExitCase {
    const char* name;
    std::string control;
    int code;
    std::string error;
};

class ExitCodes : public WindowsProcess, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitCodes, AreTheChildsOwnAndItsErrorsArriveApart) {
    const std::string program = install(GetParam().control);
    auto p = startOrFail({.argv = {program, "word"}, .captureStdout = true, .captureStderr = true});
    ASSERT_TRUE(p);
    EXPECT_EQ(drain(*p, &Process::readError), GetParam().error);
    EXPECT_FALSE(p->hasErrorPipe());
    const ExitStatus status = p->waitUntilEnded();
    EXPECT_TRUE(status.exited);
    EXPECT_EQ(status.code, GetParam().code);
    EXPECT_EQ(status.success(), GetParam().code == 0);
    EXPECT_TRUE(p->waitForEvent(0ms) || !p->hasOutputPipe());
}

INSTANTIATE_TEST_SUITE_P(Codes, ExitCodes,
                         ::testing::Values(ExitCase{"success", "match\nC:\\word.txt\n", 0, ""},
                                           ExitCase{"failure", "fail 7 no database here\n", 7, "no database here\r\n"},
                                           ExitCase{"large", "fail 300 x\n", 300, "x\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A child that floods its pipe is read to the end: our reads never wait for it, nor it for us.
TEST_F(WindowsProcess, AFloodIsReadToItsEnd) {
    const std::string program = install("flood 200000\n");
    auto p = startOrFail({.argv = {program, "x"}, .captureStdout = true, .captureStderr = true});
    ASSERT_TRUE(p);
    const std::string out = drain(*p);
    size_t lines = 0;
    for (char c : out) lines += c == '\n';
    EXPECT_EQ(lines, 200000u);
    EXPECT_TRUE(out.ends_with("C:\\flood\\199999\\file.txt\r\n"));
    EXPECT_TRUE(p->waitUntilEnded().success());
}

// A child that prints and then hangs: reads answer at once, waits end at their timeout, and
// terminate() ends it with the copy of itself it started (its job), however long it meant to run.
TEST_F(WindowsProcess, AHangingChildNeverBlocksAReadAndTerminateEndsItsTree) {
    const std::string program = install("hang\nC:\\first.txt\n");
    auto p = startOrFail({.argv = {program, "x"}, .captureStdout = true, .captureStderr = true});
    ASSERT_TRUE(p);
    const std::vector<unsigned long> pids = test::hangingPids(folder);
    ASSERT_EQ(pids.size(), 2u);
    EXPECT_EQ(pids[0], static_cast<unsigned long>(p->pid()));
    std::string out;
    while (out.find('\n') == std::string::npos) {
        ASSERT_NE(p->readOutput(out), ReadState::EndOfFile);
        p->waitForEvent(100ms);
    }
    EXPECT_EQ(out, "C:\\first.txt\r\n");
    auto start = Clock::now();
    EXPECT_EQ(p->readOutput(out), ReadState::Nothing);
    EXPECT_FALSE(p->waitForEvent(50ms));
    EXPECT_FALSE(p->waitFor(50ms));
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_TRUE(test::processRunning(pids[1]));

    const ExitStatus status = p->terminate();
    EXPECT_FALSE(status.exited) << "killed, not ended by itself";
    EXPECT_FALSE(test::processRunning(pids[0]));
    EXPECT_FALSE(test::processRunning(pids[1])) << "the child's own child ends with it";
    EXPECT_FALSE(p->terminate().exited) << "a second terminate changes nothing";
}

TEST_F(WindowsProcess, DestroyingARunningChildEndsItsTree) {
    const std::string program = install("hang\n");
    std::vector<unsigned long> pids;
    {
        auto p = startOrFail({.argv = {program, "x"}, .captureStdout = true});
        ASSERT_TRUE(p);
        pids = test::hangingPids(folder);
        ASSERT_EQ(pids.size(), 2u);
    }
    EXPECT_FALSE(test::processRunning(pids[0]));
    EXPECT_FALSE(test::processRunning(pids[1]));
}

TEST_F(WindowsProcess, ADetachedChildOutlivesItsProcessObject) {
    const std::string program = install("hang\n");
    std::vector<unsigned long> pids;
    {
        auto p = startOrFail({.argv = {program, "x"}});
        ASSERT_TRUE(p);
        pids = test::hangingPids(folder);
        ASSERT_EQ(pids.size(), 2u);
        p->detach();
    }
    EXPECT_TRUE(test::processRunning(pids[0]));
    EXPECT_TRUE(test::processRunning(pids[1]));
    for (unsigned long pid : pids) test::endProcess(pid);
}

struct RefusalCase {
    const char* name;
    std::vector<std::string> argv;  // "@" stands for the stand-in's path
    std::string error;              // the start of the error text
};

class Refusals : public WindowsProcess, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, NothingStartsAndTheErrorSaysWhy) {
    const std::string program = install("match\n");
    std::vector<std::string> argv = GetParam().argv;
    for (auto& a : argv)
        if (a == "@") a = program;
    std::string error;
    EXPECT_EQ(Process::start({.argv = argv, .captureStdout = true}, error), nullptr);
    EXPECT_TRUE(error.starts_with(GetParam().error)) << error;
    EXPECT_GT(error.size(), GetParam().error.size()) << "a reason follows";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(RefusalCase{"no_program", {}, "cannot start a program"},
                      RefusalCase{"missing_file", {"C:\\no\\such\\Locate.exe", "x"}, "cannot start C:\\no\\such\\Locate.exe: "},
                      RefusalCase{"not_on_the_path", {"no-such-program-here", "x"}, "cannot start no-such-program-here: "},
                      RefusalCase{"nul_in_a_word", {"@", std::string("a\0b", 3)}, "cannot start "}),
    [](const auto& info) { return std::string(info.param.name); });

// Many children started, read a little and abandoned: every one is ended, none is left running.
TEST_F(WindowsProcess, AbandonedChildrenLeaveNothingRunning) {
    const std::string program = install("hang\nC:\\a\n");
    std::vector<int> pids;
    for (int i = 0; i < 20; ++i) {
        auto p = startOrFail({.argv = {program, "x"}, .captureStdout = true, .captureStderr = true});
        ASSERT_TRUE(p);
        pids.push_back(p->pid());
        std::string out;
        if (i % 2) p->readOutput(out);
        if (i % 3 == 0) p->terminate();
    }
    for (int pid : pids) EXPECT_FALSE(test::processRunning(static_cast<unsigned long>(pid))) << pid;
}

}  // namespace
}  // namespace skimmer::os
