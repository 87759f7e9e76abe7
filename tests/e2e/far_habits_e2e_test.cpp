// FAR's panel habits on the real program: Gray + asks for masks and selects what they match,
// Ctrl+F12 opens the sort modes menu, and the Temporary Panel's options reach its panel.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEsc = "\x1B";
constexpr const char* kCtrlF12 = "\x1B[24;5~";
constexpr const char* kF10 = "\x1B[21~";

TEST(FarHabitsE2E, MasksSortMenuAndTemporaryPanelOptions) {
    TempHome temp;
    const fs::path dir = temp.root() / "work";
    fs::create_directories(dir / "sub");
    for (const char* name : {"a.txt", "b.txt", "c.md"}) std::ofstream(dir / name) << name;
    std::ofstream(dir / "list.temp") << (dir / "a.txt").string() << "\n";
    PtyOptions o;
    o.argv = {SKIMMER_BIN, "--manager"};
    o.cols = 100;
    o.rows = 25;
    o.cwd = dir.string();
    o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}};
    PtyProgram p(o);
    ASSERT_TRUE(p.waitForText("c.md")) << p.screen().screenText();

    p.send("+");  // Gray + as a terminal without the keypad's codes sends it
    ASSERT_TRUE(p.waitForText("Select")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("*.*")) << p.screen().screenText();
    p.send("*.txt\r");
    ASSERT_TRUE(p.waitForText("10 bytes in 2 files")) << p.screen().screenText();

    p.send(kCtrlF12);
    ASSERT_TRUE(p.waitForText("Sort by")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("Ctrl+F11")) << p.screen().screenText();
    p.send(kEsc);
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Sort by"); })) << p.screen().screenText();

    p.send("tmp:+safe +full list.temp\r");
    ASSERT_TRUE(p.waitForText("Temporary panel [0] (R)")) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

}  // namespace
}  // namespace skimmer::test
