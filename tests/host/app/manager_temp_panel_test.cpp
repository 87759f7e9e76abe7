// The temporary panel in the manager: the command opens it over the file panel, and each way out
// leaves the file panel where the user asked for it.
#include <gtest/gtest.h>

#include "far/panel.h"
#include "host/services/control.h"
#include "tests/host/app/screen_on_pty.h"

namespace skimmer::host::app {
namespace {

using services::Control;

namespace k = term::key;

struct TempPanelScreen : ScreenOnPty {
    fs::path list = home.root() / "lists" / "TempPanel.temp";
    TempPanelScreen() {
        fs::create_directories(list.parent_path());
        std::ofstream(list, std::ios::binary) << (dir / "one.txt").string() << "\r\n"
                                              << (dir / "sub").string() << "\n"
                                              << (dir / "gone.txt").string() << "\n";
        manager->setTempPanelPrefix([] { return std::string("tmp"); });
        manager->openFolder((dir / "sub").string());
    }
    void run(const std::string& line) {
        manager->commandLine().setText(line);
        manager->handleKey(k::ENTER);
    }
    void cursorOn(const std::string& path) { manager->activePanel().setCurrent(path); }
};

TEST(ManagerTempPanel, TheCommandListsThePathsOverTheFilePanel) {
    TempPanelScreen s;
    s.run("TMP:" + s.list.string());
    ASSERT_NE(s.manager->tempPanel(), nullptr) << (s.errors.empty() ? "" : s.errors[0]);
    EXPECT_TRUE(s.manager->commandLine().text().empty());
    const auto& entries = s.manager->activePanel().entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].name, (s.dir / "one.txt").string());
    EXPECT_TRUE(entries[3].isMissing);
    // Plug-ins see it as the active panel, a plug-in's one, over the file panel's folder.
    PanelInfo info{};
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &info));
    EXPECT_EQ(info.ItemsNumber, 4);
    EXPECT_TRUE(info.Plugin);
    EXPECT_STREQ(info.CurDir, (s.dir / "sub").c_str());
    // Esc first clears a typed line, then leaves.
    s.manager->commandLine().setText("typed");
    s.manager->handleKey(k::ESC);
    EXPECT_NE(s.manager->tempPanel(), nullptr);
    EXPECT_TRUE(s.manager->commandLine().text().empty());
    // Enter on a missing file says so and stays.
    s.cursorOn((s.dir / "gone.txt").string());
    s.manager->handleKey(k::ENTER);
    ASSERT_EQ(s.errors.size(), 1u);
    EXPECT_NE(s.errors[0].find("does not exist"), std::string::npos);
    EXPECT_NE(s.manager->tempPanel(), nullptr);
}

// Without a temporary panel Ctrl+PgUp goes up, the cursor on the folder it left; at "/" it stays.
TEST(ManagerTempPanel, CtrlPgUpOnTheFilePanelGoesUp) {
    TempPanelScreen s;
    s.manager->handleKey(k::kCtrl | k::PGUP);
    EXPECT_EQ(s.manager->panel().dir(), s.dir);
    ASSERT_NE(s.manager->panel().currentEntry(), nullptr);
    EXPECT_EQ(s.manager->panel().currentEntry()->name, "sub");
    s.manager->openFolder("/");
    s.manager->handleKey(k::kCtrl | k::PGUP);
    EXPECT_EQ(s.manager->panel().dir(), "/");
    EXPECT_TRUE(s.errors.empty());
}

struct LeaveCase {
    const char* name;
    const char* cursor;  // the entry under the cursor: a name in "d", or ".."
    int key;             // 0: FCTL_SETPANELDIR to "d" instead of a key
    const char* folder;  // the file panel's folder afterwards, below the home ("d" or "d/sub")
    const char* current; // the file panel's current name afterwards, or nullptr
};

class LeaveTempPanel : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(LeaveTempPanel, PutsTheFilePanelWhereAsked) {
    const LeaveCase& c = GetParam();
    TempPanelScreen s;
    s.run("tmp:" + s.list.string());
    ASSERT_NE(s.manager->tempPanel(), nullptr);
    if (std::string(c.cursor) == "..") s.manager->activePanel().moveTo(0);
    else s.cursorOn((s.dir / c.cursor).string());
    if (c.key != 0) s.manager->handleKey(static_cast<k::Code>(c.key));
    else Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, const_cast<char*>(s.dir.c_str()));
    EXPECT_EQ(s.manager->tempPanel(), nullptr);
    EXPECT_TRUE(s.errors.empty()) << s.errors[0];
    EXPECT_EQ(s.manager->panel().dir(), s.home.root() / c.folder);
    if (c.current) {
        ASSERT_NE(s.manager->panel().currentEntry(), nullptr);
        EXPECT_EQ(s.manager->panel().currentEntry()->name, c.current);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeaveTempPanel,
    ::testing::Values(LeaveCase{"esc", "one.txt", k::ESC, "d/sub", nullptr},
                      LeaveCase{"enter_on_up", "..", k::ENTER, "d/sub", nullptr},
                      LeaveCase{"enter_on_a_folder", "sub", k::ENTER, "d/sub", ".."},
                      LeaveCase{"ctrl_pgup_on_a_file", "one.txt", k::kCtrl | k::PGUP, "d", "one.txt"},
                      LeaveCase{"ctrl_pgup_on_a_folder", "sub", k::kCtrl | k::PGUP, "d", "sub"},
                      LeaveCase{"ctrl_f10_on_a_file", "one.txt", k::kCtrl | k::F(10), "d", "one.txt"},
                      LeaveCase{"ctrl_pgup_on_up", "..", k::kCtrl | k::PGUP, "d/sub", nullptr},
                      LeaveCase{"set_panel_dir", "one.txt", 0, "d", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCommandCase {
    const char* name;
    const char* rest;  // after "tmp:"
    const char* says;
};

class BadTempCommand : public ::testing::TestWithParam<BadCommandCase> {};

// A command the panel cannot run is said once, opens nothing and runs nothing.
TEST_P(BadTempCommand, IsSaidAndOpensNothing) {
    const BadCommandCase& c = GetParam();
    TempPanelScreen s;
    s.run(std::string("tmp:") + c.rest);
    EXPECT_EQ(s.manager->tempPanel(), nullptr);
    ASSERT_EQ(s.errors.size(), 1u);
    EXPECT_NE(s.errors[0].find(c.says), std::string::npos) << s.errors[0];
}

INSTANTIATE_TEST_SUITE_P(Commands, BadTempCommand,
                         ::testing::Values(BadCommandCase{"missing_list", "/no/such/list", "No such file"},
                                           BadCommandCase{"option", "+full /x", "no options"},
                                           BadCommandCase{"no_file", "", "needs a list file"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app
