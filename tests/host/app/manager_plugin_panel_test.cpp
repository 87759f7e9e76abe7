// A plug-in's panel in the manager, driven as FAR drives it, against the virtual-file-system test
// plug-in: the drive menu, moving through its folders, leaving it, its keys and its Control calls.
#include <gtest/gtest.h>

#include <algorithm>

#include "far/panel.h"
#include "far/vk.h"
#include "host/services/control.h"
#include "tests/host/app/vfs_screen.h"

namespace skimmer::host::app {
namespace {

using services::Control;

namespace k = term::key;
using Lines = std::vector<std::string>;

int countPrefix(const Lines& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

class DriveMenu : public ::testing::TestWithParam<int> {};

// Alt+F1 / Alt+F2 list the folders and the plug-in's entry with its hot key; choosing the entry
// opens the panel on that side, which becomes the active one, listed through the entry points.
TEST_P(DriveMenu, ListsFoldersAndDiskEntriesAndOpensThePanel) {
    const int side = GetParam();
    VfsScreen s;
    s.openVfs(side);
    ASSERT_EQ(s.menus.size(), 1u);
    ASSERT_EQ(s.menus[0].size(), 3u);
    EXPECT_EQ(s.menus[0][0].substr(0, 1), "/");
    EXPECT_NE(s.menus[0][1].find(s.home.root().string()), std::string::npos) << s.menus[0][1];
    EXPECT_EQ(s.menus[0][2], "7     VFS test panel");
    EXPECT_EQ(s.manager->activeSide(), side);
    ASSERT_NE(s.manager->pluginPanel(), nullptr) << (s.reports.empty() ? "" : s.reports[0]);
    EXPECT_EQ(s.manager->pluginPanel(true), nullptr);
    EXPECT_EQ(s.names(), (Lines{"..", "docs", "failing", "hostile", "readme.txt"}));
    EXPECT_EQ(s.manager->activePanel().title(), " VFS:\\ ");
    EXPECT_EQ(s.calls(), (Lines{"OpenPlugin 0 0", "GetOpenPluginInfo ", "GetFindData  0", "FreeFindData 4"}));
    EXPECT_TRUE(s.errors.empty());
    // The key bar (60 columns: five letters a label): the panel's operations, the plug-in's titles over them.
    s.manager->paint();
    const std::string bar = s.console->cells().textAt(s.console->cells().height() - 1);
    EXPECT_NE(bar.find("2AddOn"), std::string::npos) << bar;
    EXPECT_NE(bar.find("5Copy"), std::string::npos) << bar;
    EXPECT_NE(bar.find("7MkFol"), std::string::npos) << bar;
    EXPECT_NE(bar.find("8Delet"), std::string::npos) << bar;
}

INSTANTIATE_TEST_SUITE_P(Sides, DriveMenu, ::testing::Values(0, 1));

TEST(DriveMenuChoices, AFolderShowsTheFilePanelThereAndAPanelThatIsNotGivenIsSaid) {
    VfsScreen s;
    s.openVfs();
    s.menuAnswers.push_back(0);  // "/" closes the plug-in's panel, asking it first
    s.key(k::kAlt | k::F(1));
    EXPECT_EQ(s.manager->pluginPanel(), nullptr);
    EXPECT_EQ(s.manager->panel().dir(), "/");
    const Lines tail = s.calls(4);
    EXPECT_EQ(tail, (Lines{"ProcessKey 112 2", "ProcessEvent 3", "ClosePlugin"}));
    setenv("SKIMMER_VFS_NO_PANEL", "1", 1);
    s.openVfs();
    EXPECT_EQ(s.manager->pluginPanel(), nullptr);
    ASSERT_EQ(s.reports.size(), 1u);
    EXPECT_NE(s.reports[0].find("opened no panel"), std::string::npos) << s.reports[0];
}

struct NavCase {
    const char* name;
    std::vector<const char*> steps;  // a name: Enter on it; "^PgUp", "^\\": those keys
    const char* curDir;
    const char* cursor;
};

class PanelNavigation : public ::testing::TestWithParam<NavCase> {};

// Enter on a folder, on "..", Ctrl+PgUp and Ctrl+\ move with SetDirectory; going up puts the
// cursor on the folder just left; every listing's GetFindData is paired with one FreeFindData.
TEST_P(PanelNavigation, MovesThroughThePluginsFolders) {
    const NavCase& c = GetParam();
    VfsScreen s;
    s.openVfs();
    for (const std::string step : c.steps) {
        if (step == "^PgUp") s.key(k::kCtrl | k::PGUP);
        else if (step == "^\\") s.key(k::kCtrl | '\\');
        else if (step == "!own") s.key(k::kAlt | k::kShift | k::F(2));  // the plug-in moves by itself
        else if (step.starts_with("@")) s.manager->activePanel().setCurrent(step.substr(1));
        else s.enter(step);
    }
    ASSERT_NE(s.manager->pluginPanel(), nullptr);
    EXPECT_EQ(s.manager->pluginPanel()->curDir(), c.curDir);
    EXPECT_EQ(s.currentName(), c.cursor);
    const Lines calls = s.calls();
    const int listedBroken = countPrefix(calls, "GetFindData \\failing ");
    EXPECT_EQ(countPrefix(calls, "GetFindData ") - listedBroken, countPrefix(calls, "FreeFindData "));
    EXPECT_EQ(s.errors.size(), static_cast<size_t>(listedBroken));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PanelNavigation,
    ::testing::Values(NavCase{"enter_a_folder", {"docs"}, "\\docs", ".."},
                      NavCase{"two_deep_then_ctrl_pgup", {"docs", "deep", "^PgUp"}, "\\docs", "deep"},
                      NavCase{"enter_on_dots", {"docs", ".."}, "", "docs"},
                      NavCase{"ctrl_backslash_to_the_root", {"docs", "deep", "^\\"}, "", ".."},
                      NavCase{"enter_on_a_file_stays", {"docs", "a.txt"}, "\\docs", "a.txt"},
                      // A folder the plug-in enters by itself is shown from its top.
                      NavCase{"the_plugin_moves_by_itself", {"docs", "@deep", "!own"}, "\\docs\\deep", ".."},
                      // A folder the plug-in cannot list is said, shown empty, and can be left.
                      NavCase{"unlistable_folder", {"failing"}, "\\failing", ".."},
                      NavCase{"unlistable_folder_left", {"failing", ".."}, "", "failing"}),
    [](const auto& info) { return std::string(info.param.name); });

class LeaveRoot : public ::testing::TestWithParam<int> {};

// Going up from the plug-in's root asks FE_CLOSE, closes the plug-in and shows the file panel in
// the folder it had.
TEST_P(LeaveRoot, ClosesThePluginAndShowsTheFilePanel) {
    VfsScreen s;
    s.openVfs();
    s.manager->activePanel().moveTo(0);
    const size_t before = s.calls().size();
    s.key(static_cast<k::Code>(GetParam()));
    EXPECT_EQ(s.manager->pluginPanel(), nullptr);
    EXPECT_EQ(s.manager->panel().dir(), s.dir);
    const Lines tail = s.calls(before);
    ASSERT_GE(tail.size(), 2u);
    EXPECT_EQ(tail[tail.size() - 2], "ProcessEvent 3");
    EXPECT_EQ(tail.back(), "ClosePlugin");
    EXPECT_EQ(countPrefix(tail, "SetDirectory"), 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, LeaveRoot, ::testing::Values(static_cast<int>(k::ENTER), static_cast<int>(k::kCtrl | k::PGUP)));

struct KeyCase {
    const char* name;
    k::Code key;
    const char* logged;  // ProcessKey's arguments as the plug-in saw them
    bool consumed;       // the plug-in took it: the cursor stays
};

class PanelKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(PanelKeys, ReachTheProcessKeyFirst) {
    const KeyCase& c = GetParam();
    VfsScreen s;
    s.openVfs();
    const size_t before = s.calls().size();
    s.key(c.key);
    const Lines tail = s.calls(before);
    ASSERT_FALSE(tail.empty());
    EXPECT_EQ(tail[0], std::string("ProcessKey ") + c.logged);
    EXPECT_EQ(s.currentName(), c.consumed ? ".." : "docs");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PanelKeys,
    ::testing::Values(KeyCase{"shift_f4_taken", k::kShift | k::F(4), "115 4", true},
                      KeyCase{"down_left_to_the_host", k::DOWN, "40 0", false}),
    [](const auto& info) { return std::string(info.param.name); });

// What the plug-in asks through Control from inside ProcessKey: FCTL_UPDATEPANEL lists again at
// once, as FAR does, so the FCTL_GETPANELINFO after it sees the new list (in the panel's order);
// the other side is the file panel; FCTL_REDRAWPANEL moves the cursor; FCTL_CLOSEPLUGIN waits for
// the call to return, then closes the panel and goes to a folder.
TEST(PanelControl, PluginsRequestsFromInsideItsCalls) {
    VfsScreen s;
    s.openVfs();
    size_t before = s.calls().size();
    s.key(k::F(2));
    Lines tail = s.calls(before);
    ASSERT_EQ(countPrefix(tail, "PanelInfo "), 1);
    EXPECT_EQ(tail.back(), "PanelInfo ok=1 plugin=1 items=6 current=0 curdir=");
    EXPECT_NE(std::find(tail.begin(), tail.end(), "FreeFindData 5"), tail.end());
    EXPECT_EQ(s.names(), (Lines{"..", "docs", "failing", "hostile", "added1.txt", "readme.txt"}));

    before = s.calls().size();
    s.key(k::kShift | k::F(2));
    tail = s.calls(before);
    EXPECT_NE(std::find(tail.begin(), tail.end(),
                        "AnotherPanelInfo ok=1 plugin=0 items=3 current=0 curdir=" + s.dir.string()),
              tail.end());

    s.key(k::kAlt | k::F(2));  // the cursor on the last item
    EXPECT_EQ(s.currentName(), "readme.txt");
    // A cursor placed after an update names the updated list, found there by name.
    s.key(k::kCtrl | k::kAlt | k::F(2));
    EXPECT_EQ(s.currentName(), "added2.txt");

    setenv("SKIMMER_VFS_CLOSE_TO", (s.dir / "sub").c_str(), 1);
    before = s.calls().size();
    s.key(k::kCtrl | k::F(2));
    EXPECT_EQ(s.manager->pluginPanel(), nullptr);
    EXPECT_EQ(s.manager->panel().dir(), s.dir / "sub");
    EXPECT_EQ(s.calls(before), (Lines{"ProcessKey 113 1", "ClosePlugin"}));
}

// The panel's own GETPANELINFO from outside any call: items with "..", the current item, CurDir.
TEST(PanelControl, PanelInfoOfAPluginPanel) {
    VfsScreen s;
    s.openVfs();
    s.enter("docs");
    s.manager->activePanel().setCurrent("deep");
    PanelInfo info{};
    ASSERT_TRUE(Control(s.manager->pluginPanel()->handle(), FCTL_GETPANELINFO, &info));
    EXPECT_TRUE(info.Plugin);
    EXPECT_EQ(info.ItemsNumber, 3);
    EXPECT_EQ(info.CurrentItem, 1);  // folders first: "..", "deep", "a.txt"
    EXPECT_STREQ(info.CurDir, "\\docs");
    EXPECT_STREQ(info.PanelItems[1].FindData.cFileName, "deep");
    EXPECT_STREQ(info.PanelItems[2].Description, "The first letter");
    ASSERT_EQ(info.SelectedItemsNumber, 1);
    EXPECT_STREQ(info.SelectedItems[0].FindData.cFileName, "deep");
    EXPECT_TRUE(info.Flags & PFLAGS_HIGHLIGHT);
    // Its handle names its side even when that side is the passive one.
    s.key(k::TAB);
    ASSERT_TRUE(Control(s.manager->pluginPanel(true)->handle(), FCTL_GETPANELSHORTINFO, &info));
    EXPECT_TRUE(info.Plugin);
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELSHORTINFO, &info));
    EXPECT_FALSE(info.Plugin);
}

// Names with escape sequences, a '/' and bytes that are not UTF-8 are drawn escaped: no control
// character reaches the screen's cells.
TEST(PanelDrawing, HostileNamesAreEscaped) {
    VfsScreen s;
    s.openVfs();
    s.enter("hostile");
    s.manager->paint();
    const term::CellBuffer& b = s.console->cells();
    std::string screen;
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) EXPECT_GE(b.at(x, y).ch, U' ') << "cell " << x << "," << y;
        screen += b.textAt(y) + "\n";
    }
    EXPECT_NE(screen.find("\\x1B]0;pwned"), std::string::npos) << screen;
    EXPECT_NE(screen.find("up/../../escape."), std::string::npos) << screen;
    EXPECT_NE(screen.find("bad\\xFF\\xFE.txt"), std::string::npos) << screen;
}

}  // namespace
}  // namespace skimmer::host::app

namespace skimmer::host::app {
namespace {

struct StartCase {
    const char* name;
    const char* preferred;
    bool refuse;       // the plug-in returns no panel
    const char* says;  // nullptr: a panel is opened
};

class PanelAtStart : public ::testing::TestWithParam<StartCase> {};

// --panel: the preferred plug-in's first drive-menu entry, else the first plug-in that has one.
TEST_P(PanelAtStart, OpensTheDiskMenuPanelOrSaysWhyNot) {
    const StartCase& c = GetParam();
    VfsScreen s;
    if (c.refuse) setenv("SKIMMER_VFS_NO_PANEL", "1", 1);
    std::string error;
    auto panel = s.plugins->openDiskAtStart(c.preferred, error);
    EXPECT_EQ(panel != nullptr, c.says == nullptr);
    if (c.says) {
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    EXPECT_EQ(s.calls().at(0), "OpenPlugin 0 0");
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelAtStart,
                         ::testing::Values(StartCase{"preferred", "vfs", false, nullptr},
                                           StartCase{"fallback", "skimmer", false, nullptr},
                                           StartCase{"refused", "vfs", true, "opened no panel"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app

namespace skimmer::host::app {
namespace {

// A temporary panel opened from the command line takes the side of a plug-in's panel, which is
// closed first; the two are never stacked.
TEST(PanelAndTemporaryPanel, TheTemporaryPanelReplacesThePluginsPanel) {
    VfsScreen s;
    s.openVfs();
    const fs::path list = s.home.root() / "list.temp";
    std::ofstream(list) << (s.dir / "one.txt").string() << "\n";
    s.manager->setTempPanelPrefix([] { return std::string("tmp"); });
    s.manager->commandLine().setText("tmp:" + list.string());
    s.manager->handleKey(term::key::ENTER);
    EXPECT_EQ(s.manager->pluginPanel(), nullptr);
    ASSERT_NE(s.manager->tempPanel(), nullptr);
    EXPECT_EQ(s.calls().back(), "ClosePlugin");
}

// Plug-ins that announce entries for F11 and Alt+Shift+F9 and record what is chosen.
struct MenuPlugins : PluginCommands {
    std::vector<std::string> done;
    std::vector<PluginMenuItem> menuItems() override { return {{0, 0, "First", -1}, {1, 0, "Second", -1}}; }
    std::vector<PluginMenuItem> configItems() override { return {{1, 0, "Second's settings", -1}}; }
    std::vector<PluginMenuItem> diskItems() override { return {}; }
    std::unique_ptr<PluginPanel> open(const PluginMenuItem& item) override {
        done.push_back("open " + item.text);
        return nullptr;
    }
    std::unique_ptr<PluginPanel> openDiskItem(const PluginMenuItem&) override { return nullptr; }
    void configure(const PluginMenuItem& item) override { done.push_back("configure " + item.text); }
};

struct MenuHelpCase {
    const char* name;
    k::Code key;                      // F11 or Alt+Shift+F9
    std::vector<MenuAnswer> answers;  // break key 0 is F1, 1 is Shift+F1
    Lines help;                       // "plugin|topic" of each help shown
    Lines done;
    std::vector<int> cursorAt;        // where each menu put its cursor
};

class PluginMenuHelp : public ::testing::TestWithParam<MenuHelpCase> {};

// F1 or Shift+F1 in the plug-ins menu shows the plug-in's Contents, in the configuration menu its
// Config topic; the menu comes back on that entry and a choice still runs the plug-in.
TEST_P(PluginMenuHelp, ShowsThePluginsHelpAndComesBack) {
    const MenuHelpCase& c = GetParam();
    VfsScreen s;
    MenuPlugins plugins;
    s.manager->setPlugins(&plugins);
    s.menuAnswers.assign(c.answers.begin(), c.answers.end());
    s.key(c.key);
    EXPECT_EQ(s.helpShown, c.help);
    EXPECT_EQ(plugins.done, c.done);
    std::vector<int> cursorAt;
    for (const MenuOffer& m : s.menuSpecs) {
        EXPECT_EQ(m.breakKeys, (std::vector<k::Code>{k::F(1), k::kShift | k::F(1)}));
        const auto at = std::find_if(m.entries.begin(), m.entries.end(), [](const auto& e) { return e.selected; });
        cursorAt.push_back(static_cast<int>(at - m.entries.begin()));
    }
    EXPECT_EQ(cursorAt, c.cursorAt);
    s.manager->setPlugins(s.plugins.get());
}

INSTANTIATE_TEST_SUITE_P(
    Menus, PluginMenuHelp,
    ::testing::Values(
        MenuHelpCase{"f1_then_choose", k::F(11), {{1, 0}, {1}}, {"1|Contents"}, {"open Second"}, {0, 1}},
        MenuHelpCase{"shift_f1_then_esc", k::F(11), {{0, 1}, {-1}}, {"0|Contents"}, {}, {0, 0}},
        MenuHelpCase{"config_menu_asks_for_config", k::kAlt | k::kShift | k::F(9), {{0, 0}, {0}}, {"1|Config"},
                     {"configure Second's settings"}, {0, 0}},
        MenuHelpCase{"no_help_asked", k::F(11), {{0}}, {}, {"open First"}, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ArchiveKeyCase {
    const char* name;
    bool pluginPanel;
    const char* hostFile;  // SKIMMER_VFS_HOST_FILE, "" for none
    k::Code key;
    bool copies;           // the copy dialog, then GetFiles, as F5
};

class ArchiveKeys : public ::testing::TestWithParam<ArchiveKeyCase> {};

// Shift+F2 on a plug-in panel that shows an archive's contents extracts as F5 does; elsewhere
// Shift+F1 and Shift+F2 would need a plug-in to open a file as its panel, and say so.
TEST_P(ArchiveKeys, ExtractFromAnArchivePanelOrSayWhyNot) {
    const ArchiveKeyCase& c = GetParam();
    if (*c.hostFile) setenv("SKIMMER_VFS_HOST_FILE", c.hostFile, 1);
    VfsScreen s;
    if (c.pluginPanel) s.openVfs();
    s.manager->activePanel().setCurrent("readme.txt");
    s.copyAnswers.push_back(s.dir.string());
    const size_t before = s.callCount();
    s.key(c.key);
    const Lines calls = s.calls(before);
    EXPECT_EQ(countPrefix(calls, "GetFiles 1 0 "), c.copies ? 1 : 0);
    EXPECT_EQ(s.copyPrompts.size(), c.copies ? 1u : 0u);
    if (c.copies) {
        EXPECT_TRUE(s.errors.empty());
        EXPECT_TRUE(fs::exists(s.dir / "readme.txt"));
    } else {
        ASSERT_EQ(s.errors.size(), 1u);
        EXPECT_NE(s.errors[0].find("OpenFilePlugin"), std::string::npos) << s.errors[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ArchiveKeys,
    ::testing::Values(ArchiveKeyCase{"extract_from_an_archive", true, "/tmp/a.zip", k::kShift | k::F(2), true},
                      ArchiveKeyCase{"add_on_a_plain_plugin_panel", true, "", k::kShift | k::F(1), false},
                      ArchiveKeyCase{"add_on_a_plugin_panel", true, "/tmp/a.zip", k::kShift | k::F(1), false},
                      ArchiveKeyCase{"add_on_the_file_panel", false, "", k::kShift | k::F(1), false},
                      ArchiveKeyCase{"extract_on_the_file_panel", false, "", k::kShift | k::F(2), false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app
