// A plug-in's panel end to end: Alt+F1 opens the test plug-in's panel from the drive menu, Enter
// goes into one of its folders, F3 shows an item through the pager, F5 copies an item into the
// other panel's folder, F7 and F8 make and delete a folder with the plug-in's own questions, and
// F10 closes the panel before the plug-in is unloaded. Ctrl+6 shows the items' descriptions, and
// an item changed in the editor after F4 goes back to the plug-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAltF1 = "\x1B[1;3P";
constexpr const char* kDown = "\x1B[B";
constexpr const char* kF3 = "\x1BOR";
constexpr const char* kF4 = "\x1BOS";
constexpr const char* kF5 = "\x1B[15~";
constexpr const char* kCtrl6 = "\x1B[27;5;54~";  // xterm's modifyOtherKeys
constexpr const char* kF7 = "\x1B[18~";
constexpr const char* kF8 = "\x1B[19~";
constexpr const char* kF10 = "\x1B[21~";

const std::string kVfs = std::string(SKIMMER_TEST_PLUGIN_DIR) + "/vfs/vfs.so";

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PluginPanelE2E, DriveMenuFoldersViewCopyMakeAndDelete) {
    TempHome home;
    const fs::path out = home.root() / "out";
    const fs::path seen = home.root() / "seen";
    const fs::path log = home.root() / "vfs.log";
    fs::create_directories(out);
    PtyOptions o;
    o.argv = {SKIMMER_BIN, "--manager", "--plugin", kVfs};
    o.cwd = out.string();
    o.env = {{"TERM", "xterm-256color"},
             {"SHELL", "/bin/sh"},
             {"SKIMMER_VFS_LOG", log.string()},
             {"PAGER", "/bin/sh -c 'cp \"$0\" \"" + seen.string() + "\"'"},
             {"VISUAL", "/bin/sh -c 'echo more >> \"$0\"'"}};
    PtyProgram p(o);
    ASSERT_TRUE(p.waitForText("10Quit")) << p.screen().screenText();

    p.send(kAltF1);
    ASSERT_TRUE(p.waitForText("VFS test panel")) << p.screen().screenText();
    p.send(kDown);
    p.send(kDown);
    p.send("\r");
    ASSERT_TRUE(p.waitForText("VFS:\\ ")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("readme.txt"));

    p.send(kDown);  // "docs"
    p.send("\r");
    ASSERT_TRUE(p.waitForText("VFS:\\docs")) << p.screen().screenText();
    ASSERT_TRUE(p.waitForText("a.txt"));

    p.send(kDown);
    p.send(kDown);  // past the folder "deep" (folders come first) to "a.txt"
    p.send(kF3);
    ASSERT_TRUE(p.waitFor([&] { return readFile(seen) == "alpha\n"; })) << p.screen().screenText();

    p.send(kF5);
    ASSERT_TRUE(p.waitForText("Copy \"a.txt\" to:")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains(out.string()));
    p.send("\r");
    ASSERT_TRUE(p.waitFor([&] { return readFile(out / "a.txt") == "alpha\n"; })) << p.screen().screenText();
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Copy \"a.txt\""); }));

    p.send(kCtrl6);  // FAR's descriptions mode
    ASSERT_TRUE(p.waitForText("Description")) << p.screen().screenText();
    ASSERT_TRUE(p.waitForText("The first letter")) << p.screen().screenText();
    p.send(kF4);  // the "editor" appends a line: the file goes back with PutFiles(OPM_EDIT)
    ASSERT_TRUE(p.waitFor([&] { return readFile(log).find("PutFiles 1 0 8") != std::string::npos; }))
        << p.screen().screenText();

    p.send(kF7);
    ASSERT_TRUE(p.waitForText("Create the folder")) << p.screen().screenText();
    p.send("fresh\r");
    ASSERT_TRUE(p.waitForText("fresh")) << p.screen().screenText();
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Create the folder"); }));

    p.send(kF8);  // the cursor is on the new folder
    ASSERT_TRUE(p.waitForText("Delete from the VFS?")) << p.screen().screenText();
    p.send("\r");
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("fresh"); })) << p.screen().screenText();

    p.send(kF10);
    const auto exit = p.waitExit();
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->code, 0);
    std::vector<std::string> calls;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) calls.push_back(line);
    const auto close = std::find(calls.begin(), calls.end(), "ClosePlugin");
    const auto exitFar = std::find(calls.begin(), calls.end(), "ExitFAR");
    EXPECT_TRUE(close < exitFar && exitFar != calls.end());
    // No temporary folder of F3 is left behind.
    EXPECT_TRUE(fs::is_empty(home.root() / "tmp") || !fs::exists(home.root() / "tmp"));
}

struct StartCase {
    const char* name;
    const char* noPanel;  // SKIMMER_VFS_NO_PANEL
    const char* shows;
};

class PanelOption : public ::testing::TestWithParam<StartCase> {};

// --panel starts on the drive-menu panel; a plug-in that gives none is said, over the file panel.
TEST_P(PanelOption, StartsOnThePluginsPanelOrSaysWhyNot) {
    const StartCase& c = GetParam();
    TempHome home;
    PtyOptions o;
    o.argv = {SKIMMER_BIN, "--panel", "--plugin", kVfs};
    o.cwd = home.root().string();
    o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}, {"SKIMMER_VFS_NO_PANEL", c.noPanel}};
    PtyProgram p(o);
    ASSERT_TRUE(p.waitForText(c.shows)) << p.screen().screenText();
    if (*c.noPanel == '1') p.send("\r");  // the message's Ok
    p.send(kF10);
    const auto exit = p.waitExit();
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->code, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelOption,
                         ::testing::Values(StartCase{"panel", "0", "VFS:\\ "},
                                           StartCase{"no_panel", "1", "opened no panel"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::test
