// Help end to end: `skimmer` on a pseudo-terminal, F1 in the search window shows the plug-in's
// topic for that window from the help file beside skimmer.so, a link leads on, and Esc gives the
// window back with what was typed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kF1 = "\x1BOP";
constexpr const char* kF10 = "\x1B[21~";
constexpr const char* kEsc = "\x1B";
constexpr const char* kTab = "\t";
constexpr const char* kEnter = "\r";
constexpr const char* kBackspace = "\x7F";

TEST(HelpE2E, F1InTheSearchWindowShowsItsTopic) {
    TempHome temp;
    const fs::path home = temp.root() / "home";
    fs::create_directories(home / "docs");
    std::ofstream(home / "docs" / "report.txt") << "x";
    PtyOptions index;
    index.argv = {SKIMMER_INDEX_BIN};
    index.cwd = home.string();
    const auto built = PtyProgram(index).waitExit(30000);
    ASSERT_TRUE(built && built->exited && built->code == 0) << "the index was not built";

    PtyOptions o;
    o.argv = {SKIMMER_BIN};
    o.cols = 100;
    o.rows = 30;
    o.cwd = home.string();
    o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}};
    PtyProgram p(o);
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send("report");
    ASSERT_TRUE(p.waitForText("report.txt")) << p.screen().screenText();
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();

    p.send(kF1);
    ASSERT_TRUE(p.waitForText("The search window")) << p.screen().screenText();
    // The frame may arrive in pieces: wait for the rows further down and for the list to be covered.
    EXPECT_TRUE(p.waitForText("Temporary Panel")) << p.screen().screenText();
    EXPECT_TRUE(p.waitFor([&] { return !p.screen().contains("report.txt"); })) << "the help covers the window";
    // The first link is selected; Tab moves to the second ("settings") and Enter follows it.
    p.send(kTab);
    p.send(kEnter);
    ASSERT_TRUE(p.waitForText("Search window settings")) << p.screen().screenText();
    p.send(kBackspace);
    ASSERT_TRUE(p.waitForText("The search window")) << p.screen().screenText();

    p.send(kEsc);
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("The search window"); })) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("report.txt")) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("Hits: 1")) << p.screen().screenText();
    // The window redraws itself after the help: an Esc sent before that settles could be taken
    // with F10 as one Alt+F10.
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    p.send(kEsc);
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Hits: "); })) << p.screen().screenText();
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value()) << p.screen().screenText();
}

}  // namespace
}  // namespace skimmer::test
