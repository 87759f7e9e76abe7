// The configuration menu end to end: `skimmer` on a pseudo-terminal with the Skimmer plug-in,
// Alt+Shift+F9, and what the About box says about the running system as a user sees it.
#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <filesystem>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kF10 = "\x1B[21~";
constexpr const char* kAltShiftF9 = "\x1B[20;4~";
constexpr const char* kUp = "\x1B[A";

const std::string kSkimmer = std::string(SKIMMER_PLUGIN_DIR) + "/skimmer/skimmer.so";

PtyOptions withSkimmer(const TempHome& home) {
    PtyOptions o;
    o.argv = {SKIMMER_BIN, "--manager", "--plugin", kSkimmer};
    o.cwd = home.root().string();
    o.cols = 100;
    o.rows = 30;
    o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}};
    return o;
}

// Alt+Shift+F9, "Skimmer": the plug-in's own menu of four entries.
void openConfigurationMenu(PtyProgram& p) {
    p.send(kAltShiftF9);
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send("\r");
    ASSERT_TRUE(p.waitForText("Search engine: desktop index")) << p.screen().screenText();
}

TEST(SettingsE2E, TheAboutBoxNamesTheRunningSystemWithItsWholeKernelRelease) {
    if (!fs::exists(kSkimmer)) GTEST_SKIP() << "skimmer.so is not built in this tree";
    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    const std::string machine = names.machine;
    const bool is64 = machine.find("64") != std::string::npos || machine == "s390x" || machine == "alpha";
    const std::string system = std::string("Linux (") + names.release + ")" + (is64 ? " 64" : "");
    TempHome home;
    PtyProgram p(withSkimmer(home));
    ASSERT_TRUE(p.waitForText("10Quit"));
    openConfigurationMenu(p);
    p.send(kUp);  // the menu wraps: the last entry, About
    p.send("\r");
    // The home has no index: asking it, the index engine says it cannot be used, and the box
    // then shows why in its engine lines.
    ASSERT_TRUE(p.waitForText("cannot be used")) << p.screen().screenText();
    p.send("\r");
    ASSERT_TRUE(p.waitForText("Skimmer v1.07-SR1 BETA")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("no desktop index")) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText(system)) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("FAR Manager 1.70")) << p.screen().screenText();
    p.send("\r");  // "O&K"
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Skimmer v1.07"); })) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

}  // namespace
}  // namespace skimmer::test
