// The temporary panel in the manager: the command opens it over the file panel, and each way out
// leaves the file panel where the user asked for it.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "far/panel.h"
#include "host/app/temp_panel_menu.h"
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
                                           BadCommandCase{"unknown_option", "+fast /x", "does not take the option"},
                                           BadCommandCase{"numbered_panel_missing_list", "+2 /x", "cannot open the list file"},
                                           BadCommandCase{"no_file", "", "needs a list file"},
                                           BadCommandCase{"options_without_file_or_panel", "+full", "needs a list file"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A screen with the temporary panel's lists and menu answers: "L" (one.txt, sub, gone.txt), "M" (a
// line that names nothing, then one.txt) and "N", a +menu list (the folder "d", a separator, a
// command); the file panel is in "d/sub".
struct OptionScreen : TempPanelScreen {
    std::deque<int> menuAnswers;
    std::vector<std::vector<std::string>> menus;
    OptionScreen() {
        std::ofstream(list.parent_path() / "M.temp") << "format a:\n" << (dir / "one.txt").string() << "\n";
        std::ofstream(list.parent_path() / "N.temp") << "|&Up|" << dir.string() << "\n|-|\n|&Echo|echo hi\n";
        fs::copy_file(list, list.parent_path() / "L.temp");
        manager = std::make_unique<Manager>(
            *console, ManagerDialogs{.menu =
                                         [this](const MenuOffer& offer) {
                                             menus.emplace_back();
                                             for (const auto& e : offer.entries)
                                                 menus.back().push_back(e.separator ? "-" : e.text);
                                             const int a = menuAnswers.empty() ? -1 : menuAnswers.front();
                                             if (!menuAnswers.empty()) menuAnswers.pop_front();
                                             return MenuAnswer(a);
                                         },
                                     .error = [this](const std::string&, const std::string& text) {
                                         errors.push_back(text);
                                     }});
        manager->setTempPanelPrefix([] { return std::string("tmp"); });
        manager->openFolder((dir / "sub").string());
        host.manager = manager.get();
        installHosts();
    }
    // A command's last word "L", "M" or "N" stands for that list's path.
    void command(const std::string& line) {
        const size_t cut = line.find_last_of(" :") + 1;
        const std::string last = line.substr(cut);
        if (last != "L" && last != "M" && last != "N") return run(line);
        run(line.substr(0, cut) + (list.parent_path() / (last + ".temp")).string());
    }
    std::vector<std::string> shownNames() const {
        std::vector<std::string> out;
        for (const auto& e : manager->activePanel().entries()) {
            const std::string n = e.name;
            out.push_back(n.rfind(home.root().string(), 0) == 0 ? n.substr(home.root().string().size() + 1) : n);
        }
        return out;
    }
};

struct OptionCase {
    const char* name;
    std::vector<std::string> commands;  // each after "tmp:"
    const char* cursor;                 // below the home, or the item's text; "" to leave it
    int key;                            // 0: none
    int menuAnswer;                     // -1: Esc
    std::vector<std::string> shown;     // the active panel's names afterwards (below the home)
    const char* error;                  // a part of the one error said, or "" for none
    const char* line;                   // the command line afterwards
    bool fullScreen;
    const char* title;                  // the temporary panel's title, or "" when none is shown
};

class TempPanelOptionsOnScreen : public ::testing::TestWithParam<OptionCase> {};

TEST_P(TempPanelOptionsOnScreen, DoWhatFarsTemporaryPanelDoes) {
    const OptionCase& c = GetParam();
    OptionScreen s;
    s.menuAnswers.push_back(c.menuAnswer);
    for (const std::string& command : c.commands) s.command("tmp:" + command);
    if (*c.cursor) s.cursorOn(fs::path(c.cursor).is_absolute() || std::string(c.cursor).find('/') == std::string::npos
                                  ? std::string(c.cursor)
                                  : (s.home.root() / c.cursor).string());
    if (c.key != 0) s.manager->handleKey(static_cast<k::Code>(c.key));
    EXPECT_EQ(s.shownNames(), c.shown);
    if (*c.error) {
        ASSERT_EQ(s.errors.size(), 1u);
        EXPECT_NE(s.errors[0].find(c.error), std::string::npos) << s.errors[0];
    } else {
        EXPECT_TRUE(s.errors.empty()) << s.errors[0];
    }
    EXPECT_EQ(s.manager->commandLine().text(), c.line);
    EXPECT_EQ(s.manager->activePanel().viewMode().fullScreen, c.fullScreen);
    EXPECT_EQ(s.manager->tempPanel() ? s.manager->tempPanel()->title() : std::string(), c.title);
}

const std::vector<std::string> kListL{"..", "d/one.txt", "d/sub", "d/gone.txt"};
const std::vector<std::string> kSub{".."};

INSTANTIATE_TEST_SUITE_P(
    Options, TempPanelOptionsOnScreen,
    ::testing::Values(
        OptionCase{"full_screen", {"+full L"}, "", 0, -1, kListL, "", "", true, "Temporary panel [0]"},
        OptionCase{"options_alone_set_the_shown_panel", {"L", "+full"}, "", 0, -1, kListL, "", "", true, "Temporary panel [0]"},
        OptionCase{"replace_by_default", {"L", "M"}, "", 0, -1, {"..", "lists/format a:", "d/one.txt"}, "", "", false,
                   "Temporary panel [0]"},
        OptionCase{"minus_replace_adds", {"L", "-replace M"}, "", 0, -1,
                   {"..", "d/one.txt", "d/sub", "d/gone.txt", "lists/format a:", "d/one.txt"}, "", "", false, "Temporary panel [0]"},
        OptionCase{"minus_any_leaves_out_what_names_nothing", {"-any L"}, "", 0, -1, {"..", "d/one.txt", "d/sub"}, "", "",
                   false, "Temporary panel [0]"},
        OptionCase{"plus_any_text_goes_to_the_line", {"+any M"}, "format a:", k::ENTER, -1, {"..", "format a:", "d/one.txt"},
                   "", "format a:", false, "Temporary panel [0]"},
        OptionCase{"safe_refuses_edit", {"+safe L"}, "d/one.txt", k::F(4), -1, kListL, "safe mode", "", false,
                   "Temporary panel [0] (R)"},
        OptionCase{"safe_refuses_running", {"+safe L"}, "d/one.txt", k::ENTER, -1, kListL, "safe mode", "", false,
                   "Temporary panel [0] (R)"},
        OptionCase{"safe_enters_folders", {"+safe L"}, "d/sub", k::ENTER, -1, kSub, "", "", false, ""},
        OptionCase{"minus_safe_lifts_it", {"+safe L", "-safe"}, "", 0, -1, kListL, "", "", false, "Temporary panel [0]"},
        OptionCase{"menu_enters_a_folder", {"+menu N"}, "", 0, 0, {"..", "sub", "one.txt"}, "", "", false, ""},
        OptionCase{"menu_puts_a_command_on_the_line", {"+menu N"}, "", 0, 2, kSub, "", "echo hi", false, ""},
        OptionCase{"menu_escaped", {"+menu N"}, "", 0, -1, kSub, "", "", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// FAR's ten common panels: each number its own list, kept while the panel is closed; `+N`, the
// current number, Alt+Shift+0 … 9 and the Alt+Shift+F12 menu choose among them. A step is a
// command after "tmp:", or "!" and a key.
struct CommonPanelCase {
    const char* name;
    std::vector<std::string> steps;
    int menuAnswer;  // for Alt+Shift+F12; -1: Esc
    std::vector<std::string> shown;
    const char* title;  // "" when no temporary panel is shown
    const char* error;  // a part of the one error said, or "" for none
};

class TempPanelNumbersOnScreen : public ::testing::TestWithParam<CommonPanelCase> {};

TEST_P(TempPanelNumbersOnScreen, EachNumberKeepsItsOwnList) {
    const CommonPanelCase& c = GetParam();
    OptionScreen s;
    s.menuAnswers.push_back(c.menuAnswer);
    const std::map<std::string, k::Code> keys{{"esc", k::ESC},
                                               {"alt+shift+1", k::kAlt | k::kShift | '1'},
                                               {"alt+shift+f12", k::kAlt | k::kShift | k::F(12)}};
    for (const std::string& step : c.steps) {
        if (step[0] == '!') s.manager->handleKey(keys.at(step.substr(1)));
        else s.command("tmp:" + step);
    }
    EXPECT_EQ(s.shownNames(), c.shown);
    EXPECT_EQ(s.manager->tempPanel() ? s.manager->tempPanel()->title() : std::string(), c.title);
    if (*c.error) {
        ASSERT_EQ(s.errors.size(), 1u);
        EXPECT_NE(s.errors[0].find(c.error), std::string::npos) << s.errors[0];
    } else {
        EXPECT_TRUE(s.errors.empty()) << s.errors[0];
    }
}

const std::vector<std::string> kListM{"..", "lists/format a:", "d/one.txt"};

INSTANTIATE_TEST_SUITE_P(
    Numbers, TempPanelNumbersOnScreen,
    ::testing::Values(
        CommonPanelCase{"each_number_its_own_list", {"+1 L", "+2 M", "+1"}, -1, kListL, "Temporary panel [1]", ""},
        CommonPanelCase{"a_closed_panel_keeps_its_list", {"+4 L", "!esc", "+4"}, -1, kListL, "Temporary panel [4]", ""},
        CommonPanelCase{"closing_shows_the_file_panel", {"+4 L", "!esc"}, -1, kSub, "", ""},
        CommonPanelCase{"a_list_goes_to_the_current_number", {"+5 L", "!esc", "M"}, -1, kListM, "Temporary panel [5]", ""},
        CommonPanelCase{"other_numbers_untouched", {"+5 L", "M", "+0"}, -1, {".."}, "Temporary panel [0]", ""},
        CommonPanelCase{"an_unused_number_is_empty", {"+7"}, -1, {".."}, "Temporary panel [7]", ""},
        CommonPanelCase{"minus_replace_adds_to_a_closed_panel", {"+3 L", "!esc", "+3 -replace M"}, -1,
                        {"..", "d/one.txt", "d/sub", "d/gone.txt", "lists/format a:", "d/one.txt"}, "Temporary panel [3]", ""},
        CommonPanelCase{"modes_belong_to_the_number", {"+1 +safe L", "+2 M", "+1"}, -1, kListL, "Temporary panel [1] (R)", ""},
        CommonPanelCase{"alt_shift_digit_switches", {"+1 L", "+2 M", "!alt+shift+1"}, -1, kListL, "Temporary panel [1]", ""},
        CommonPanelCase{"the_menu_switches", {"+1 L", "+2 M", "!alt+shift+f12"}, 1, kListL, "Temporary panel [1]", ""},
        CommonPanelCase{"the_menu_escaped", {"+1 L", "+2 M", "!alt+shift+f12"}, -1, kListM, "Temporary panel [2]", ""},
        CommonPanelCase{"keys_need_a_temporary_panel", {"!alt+shift+1"}, -1, kSub, "", ""},
        CommonPanelCase{"minus_number_refused", {"-3 L"}, -1, kSub, "", "does not take the option -3"}),
    [](const auto& info) { return std::string(info.param.name); });

// Alt+Shift+F12 lists the ten panels with what each holds, the shown one under the cursor.
TEST(TempPanelNumbers, TheMenuSaysWhatEachHolds) {
    OptionScreen s;
    s.command("tmp:+1 L");
    s.command("tmp:+2 M");
    s.manager->handleKey(k::kAlt | k::kShift | k::F(12));
    ASSERT_EQ(s.menus.size(), 1u);
    ASSERT_EQ(s.menus[0].size(), 10u);
    EXPECT_EQ(s.menus[0][0], "&0  empty");
    EXPECT_EQ(s.menus[0][1], "&1  3 items");
    EXPECT_EQ(s.menus[0][2], "&2  2 items");
}

// "+menu" shows the list's items under the list's name: "|text|" shows text, "|-|" a separator.
TEST(TempPanelMenu, ShowsTheItemsAsWritten) {
    OptionScreen s;
    s.command("tmp:+menu N");
    ASSERT_EQ(s.menus.size(), 1u);
    EXPECT_EQ(s.menus[0], (std::vector<std::string>{"&Up", "-", "&Echo"}));
    const TempMenuItem plain = parseTempMenuLine("/just/a/path");
    EXPECT_EQ(plain.text, "/just/a/path");
    EXPECT_EQ(plain.command, "/just/a/path");
    EXPECT_EQ(tempMenu("/x/shortcuts.temp", {}).title, "shortcuts");
}

}  // namespace
}  // namespace skimmer::host::app
