// A path on FAR's command line means exactly that path to the shell the Linux host runs it with.
#include "search/open_hit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <tuple>

#include "os/process.h"

namespace skimmer::search {
namespace {

// The host runs a command line with $SHELL (else /bin/sh): the quoting must hold for both the
// POSIX shell and bash, whose brace expansion and tilde rules go further.
class CommandLineQuoting : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

// A shell given the command-line text sees one word, the path byte for byte: nothing runs but it.
TEST_P(CommandLineQuoting, AShellSeesExactlyThePath) {
    const auto [shellPath, name] = GetParam();
    const std::string path = name;
    std::string error;
    const std::optional<std::string> word = commandLineArgumentFor(path, error);
    ASSERT_TRUE(word) << error;
    EXPECT_EQ(commandLineFor(path, error), word) << "on Linux the command and the argument are quoted alike";
    auto shell = os::Process::start({.argv = {shellPath, "-c", "printf '%s|' " + *word}, .captureStdout = true},
                                    error);
    ASSERT_TRUE(shell) << error;
    std::string out;
    while (shell->readOutput(out) != os::ReadState::EndOfFile) shell->waitForEvent(std::chrono::milliseconds(1000));
    EXPECT_TRUE(shell->waitUntilEnded().success());
    EXPECT_EQ(out, path + "|") << shellPath;
}

INSTANTIATE_TEST_SUITE_P(HostileNames, CommandLineQuoting,
                         ::testing::Combine(::testing::Values("/bin/sh", "/bin/bash"),
                                            ::testing::Values("/home/u/plain.txt", "/home/u/a; touch pwned", "/home/u/$(id)",
                                                              "/home/u/`id`", "/home/u/it's \"quoted\"", "/home/u/two  blanks ",
                                                              "/home/u/star*?[x]", "/home/u/-rf", "/home/u/new\nline",
                                                              "/home/u/\x1b[2J\x9b", "/home/u/back\\slash&amp|pipe>out",
                                                              "{a,b}", "/home/u/{1..3}", "~", "~root/x", "~+", "a=~/x",
                                                              "x:~", "!!", "$'\\x41'", "=ls")));

}  // namespace
}  // namespace skimmer::search
