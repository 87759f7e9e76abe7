// End-to-end runs of `skimmer` with plug-ins: the plug-ins menu (F11), the configuration menu
// (Alt+Shift+F9), and plug-ins that throw or crash (the terminal must come back whole).
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kF10 = "\x1B[21~";
constexpr const char* kF11 = "\x1B[23~";
constexpr const char* kAltShiftF9 = "\x1B[20;4~";
constexpr const char* kDown = "\x1B[B";

const std::string kCrashy = std::string(SKIMMER_TEST_PLUGIN_DIR) + "/crashy/crashy.so";

PtyOptions withPlugins(const TempHome& home, std::vector<std::string> args) {
    PtyOptions o;
    o.argv = {SKIMMER_BIN};
    o.argv.insert(o.argv.end(), args.begin(), args.end());
    o.cwd = home.root().string();
    o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}};
    return o;
}

void expectRestored(PtyProgram& p) {
    p.waitFor([&] { return !p.screen().altScreen(); }, 2000);
    EXPECT_TRUE(sameModes(p.modes(), p.initialModes()));
    EXPECT_FALSE(p.screen().altScreen());
    EXPECT_TRUE(p.screen().cursorVisible());
}

TEST(PluginsE2E, F11ListsThePluginsMenuStringsAndEscCloses) {
    TempHome home;
    PtyProgram p(withPlugins(home, {"--manager", "--plugin", kCrashy}));
    ASSERT_TRUE(p.waitForText("10Quit")) << p.screen().screenText();
    p.send(kF11);
    ASSERT_TRUE(p.waitForText("Throw")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("Crash"));
    p.send("\x1B");
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Throw"); })) << p.screen().screenText();
    p.send(kAltShiftF9);
    ASSERT_TRUE(p.waitForText("Crashy configuration")) << p.screen().screenText();
    // Esc and the next key are sent apart: ESC ESC [ ... within the escape delay is Alt+key.
    p.send("\x1B");
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Crashy configuration"); }));
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

TEST(PluginsE2E, AnExceptionStopsAtTheBoundaryAndIsReported) {
    TempHome home;
    PtyProgram p(withPlugins(home, {"--manager", "--plugin", kCrashy}));
    ASSERT_TRUE(p.waitForText("10Quit"));
    p.send(kF11);
    ASSERT_TRUE(p.waitForText("Throw"));
    p.send("\r");
    ASSERT_TRUE(p.waitForText("thrown on purpose")) << p.screen().screenText();
    p.send("\r");  // Ok
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("thrown on purpose"); }));
    // The failed plug-in is not called again; the host keeps running and quits normally.
    p.send(kF10);
    const auto exit = p.waitExit();
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->code, 0);
    expectRestored(p);
}

TEST(PluginsE2E, ACrashInAPluginLeavesTheTerminalRestored) {
    TempHome home;
    PtyProgram p(withPlugins(home, {"--manager", "--plugin", kCrashy}));
    ASSERT_TRUE(p.waitForText("10Quit"));
    p.send(kF11);
    ASSERT_TRUE(p.waitForText("Crash"));
    p.send(kDown);
    p.send("\r");
    const auto exit = p.waitExit();
    ASSERT_TRUE(exit.has_value());
    EXPECT_FALSE(exit->exited);
    EXPECT_EQ(exit->signal, SIGSEGV);
    expectRestored(p);
}

TEST(PluginsE2E, WithoutManagerThePluginIsOpenedAtStartWithTheTextOnTheCommandLine) {
    TempHome home;
    PtyProgram p(withPlugins(home, {"--plugin", kCrashy, "some", "text"}));
    // OpenPlugin(OPEN_PLUGINSMENU, 0) ran at once: the crashy plug-in throws from its first entry.
    ASSERT_TRUE(p.waitForText("thrown on purpose")) << p.screen().screenText();
    p.send("\r");
    ASSERT_TRUE(p.waitForText("some text")) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

TEST(PluginsE2E, TheSkimmerPluginsConfigurationMenuNamesTheEngine) {
    const std::string skimmer = std::string(SKIMMER_PLUGIN_DIR) + "/skimmer/skimmer.so";
    if (!fs::exists(skimmer)) GTEST_SKIP() << "skimmer.so is not built in this tree";
    TempHome home;
    PtyProgram p(withPlugins(home, {"--manager", "--plugin", skimmer}));
    ASSERT_TRUE(p.waitForText("10Quit"));
    p.send(kAltShiftF9);
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send("\r");
    ASSERT_TRUE(p.waitForText("desktop index")) << p.screen().screenText();
    p.send("\x1B");
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("desktop index"); }));
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

TEST(PluginsE2E, DemoPluginMenuOpensFromF11) {
    const std::string demo = std::string(SKIMMER_PLUGIN_DIR) + "/../test-plugins/demo/demo.so";
    if (!fs::exists(demo)) GTEST_SKIP() << "the demo plug-in is not built";
    TempHome home;
    PtyProgram p(withPlugins(home, {"--manager", "--plugin", demo}));
    ASSERT_TRUE(p.waitForText("10Quit"));
    p.send(kF11);
    ASSERT_TRUE(p.waitForText("Demo dialogs")) << p.screen().screenText();
    p.send("\r");
    ASSERT_TRUE(p.waitForText("Dialog with every item")) << p.screen().screenText();
    p.send("\x1B");
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Dialog with every item"); }));
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Demo dialogs"); }));
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

}  // namespace
}  // namespace skimmer::test
