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
constexpr const char* kCtrlDown = "\x1B[1;5B";

PtyOptions skimmerIn(const fs::path& dir) {
    PtyOptions o;
    o.argv = {SKIMMER_BIN, "--manager"};
    o.cols = 100;
    o.rows = 25;
    o.cwd = dir.string();
    o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}};
    return o;
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

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

// The Select box's masks outlive the run that typed them (FAR's "Masks" history in the hive), and
// a numbered temporary panel keeps its list while it is closed.
TEST(FarHabitsE2E, MasksHistoryOutlivesTheRunAndNumberedPanelsKeepTheirLists) {
    TempHome temp;
    const fs::path dir = temp.root() / "work";
    fs::create_directories(dir);
    for (const char* name : {"a.txt", "b.txt", "c.md"}) std::ofstream(dir / name) << name;
    std::ofstream(dir / "list.temp") << (dir / "c.md").string() << "\n";
    {
        PtyProgram p(skimmerIn(dir));
        ASSERT_TRUE(p.waitForText("c.md")) << p.screen().screenText();
        p.send("+");
        ASSERT_TRUE(p.waitForText("Select")) << p.screen().screenText();
        p.send("*.md\r");
        ASSERT_TRUE(p.waitForText("4 bytes in 1 file")) << p.screen().screenText();
        p.send(kF10);
        ASSERT_TRUE(p.waitExit().has_value());
    }
    PtyProgram p(skimmerIn(dir));
    ASSERT_TRUE(p.waitForText("c.md")) << p.screen().screenText();
    p.send("+");
    ASSERT_TRUE(p.waitForText("Select")) << p.screen().screenText();
    const size_t before = occurrences(p.screen().screenText(), "*.md");
    EXPECT_GE(before, 1u) << "the box starts with the newest masks: " << p.screen().screenText();
    p.send(kCtrlDown);
    ASSERT_TRUE(p.waitFor([&] { return occurrences(p.screen().screenText(), "*.md") > before; }))
        << "the history list under the line: " << p.screen().screenText();
    p.send(kEsc);
    p.send(kEsc);
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Select"); })) << p.screen().screenText();

    p.send("tmp:+3 list.temp\r");
    ASSERT_TRUE(p.waitForText("Temporary panel [3]")) << p.screen().screenText();
    p.send(kEsc);  // leaves the panel
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Temporary panel"); })) << p.screen().screenText();
    p.send("tmp:+3\r");
    ASSERT_TRUE(p.waitForText("Temporary panel [3]")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains((dir / "c.md").string())) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

}  // namespace
}  // namespace skimmer::test
