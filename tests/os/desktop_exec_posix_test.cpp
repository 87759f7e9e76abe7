// A .desktop command line run for real: Linux's printf gets a hostile name as one argument.
#include "os/desktop_exec.h"

#include <gtest/gtest.h>

#include "os/process.h"

namespace skimmer::os {
namespace {

ExecCommand expand(std::string exec, std::vector<std::string> targets) {
    DesktopLaunch e;
    e.exec = std::move(exec);
    e.name = "Text Editor";
    e.location = "/usr/share/applications/ed it.desktop";
    return expandExec(e, targets);
}

TEST(DesktopExec, HostileNameReachesTheProgramByteForByte) {
    const std::string name = "/tmp/a; touch pwned $(id) \"x\"\n";
    auto cmd = expand("printf %%s %f", {name});
    ASSERT_TRUE(cmd.ok) << cmd.error;
    std::string error;
    auto p = Process::start({.argv = cmd.argv, .captureStdout = true}, error);
    ASSERT_TRUE(p) << error;
    p->waitUntilEnded();
    std::string out;
    while (p->readOutput(out) == ReadState::Data) {
    }
    EXPECT_EQ(out, name);
}

}  // namespace
}  // namespace skimmer::os
