// Sort orders: every mode's order over one set of entries, and on the screen: the keys, the
// corner letter, the cursor that follows its entry, a plug-in's items kept in step with what is
// shown, the FCTL_* sort commands, a plug-in's start order, and the temporary panel's list order.
#include <gtest/gtest.h>

#include <fstream>

#include "far/panel.h"
#include "host/services/control.h"
#include "host/app/sort_menu.h"
#include "host/app/sort_order.h"
#include "host/app/temp_panel.h"
#include "tests/host/app/vfs_screen.h"

namespace skimmer::host::app {
namespace {

using services::Control;

namespace k = term::key;
using Lines = std::vector<std::string>;

std::vector<PanelEntry> sample() {
    // Given in this order; folders mixed among files so that "unsorted" shows it keeps them so.
    return {
        {.name = "..", .isDir = true},
        {.name = "zeta.txt", .size = 10, .mtime = 300, .ctime = 100, .atime = 500, .links = 1, .description = "b", .owner = "root"},
        {.name = "Alpha.md", .size = 30, .mtime = 100, .ctime = 300, .atime = 400, .links = 3, .description = "a", .owner = "user"},
        {.name = "beta", .isDir = true, .mtime = 200, .ctime = 50},
        {.name = "gamma.c", .size = 20, .mtime = 200, .ctime = 200, .atime = 600, .links = 2, .description = "c", .owner = "adm"},
        {.name = "archive", .isDir = true, .mtime = 500, .ctime = 60},
    };
}

struct OrderCase {
    const char* name;
    SortOrder order;
    Lines expected;
};

class SortOrders : public ::testing::TestWithParam<OrderCase> {};

TEST_P(SortOrders, PutDotsFirstThenFoldersThenFiles) {
    const OrderCase& c = GetParam();
    const std::vector<PanelEntry> entries = sample();
    Lines got;
    for (size_t i : sortPermutation(entries, c.order)) got.push_back(entries[i].name);
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SortOrders,
    ::testing::Values(
        OrderCase{"name_bytes", {SM_NAME, false}, {"..", "archive", "beta", "Alpha.md", "gamma.c", "zeta.txt"}},
        OrderCase{"default_is_name", {SM_DEFAULT, false}, {"..", "archive", "beta", "Alpha.md", "gamma.c", "zeta.txt"}},
        OrderCase{"name_reversed", {SM_NAME, true}, {"..", "beta", "archive", "zeta.txt", "gamma.c", "Alpha.md"}},
        OrderCase{"extension", {SM_EXT, false}, {"..", "archive", "beta", "gamma.c", "Alpha.md", "zeta.txt"}},
        OrderCase{"modified_newest_first", {SM_MTIME, false}, {"..", "archive", "beta", "zeta.txt", "gamma.c", "Alpha.md"}},
        OrderCase{"created_newest_first", {SM_CTIME, false}, {"..", "archive", "beta", "Alpha.md", "gamma.c", "zeta.txt"}},
        OrderCase{"accessed_newest_first", {SM_ATIME, false}, {"..", "archive", "beta", "gamma.c", "zeta.txt", "Alpha.md"}},
        OrderCase{"size_largest_first_ties_by_name", {SM_SIZE, false}, {"..", "archive", "beta", "Alpha.md", "gamma.c", "zeta.txt"}},
        OrderCase{"size_reversed", {SM_SIZE, true}, {"..", "beta", "archive", "zeta.txt", "gamma.c", "Alpha.md"}},
        OrderCase{"description", {SM_DESCR, false}, {"..", "archive", "beta", "Alpha.md", "zeta.txt", "gamma.c"}},
        OrderCase{"owner", {SM_OWNER, false}, {"..", "archive", "beta", "gamma.c", "zeta.txt", "Alpha.md"}},
        OrderCase{"links_most_first", {SM_NUMLINKS, false}, {"..", "archive", "beta", "Alpha.md", "gamma.c", "zeta.txt"}},
        OrderCase{"unsorted_keeps_the_given_order", {SM_UNSORTED, false}, {"..", "zeta.txt", "Alpha.md", "beta", "gamma.c", "archive"}},
        OrderCase{"unsorted_reversed", {SM_UNSORTED, true}, {"..", "archive", "gamma.c", "beta", "Alpha.md", "zeta.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct MenuCase {
    const char* name;
    SortOrder now;
    int chosen;        // the entry chosen in Ctrl+F12's menu (-1: Esc)
    SortOrder after;
    int marked;        // the entry marked as the current mode
    char32_t mark;     // '+' ascending, '-' reversed
};

class SortMenu : public ::testing::TestWithParam<MenuCase> {};

// Ctrl+F12 lists the nine modes with their keys, marks the current one, and a choice does what
// the mode's key does; "Show selected first" is checked while on and toggles.
TEST_P(SortMenu, MarksTheModeAndChoosesAsTheKeysDo) {
    const MenuCase& c = GetParam();
    const MenuOffer menu = sortMenu(c.now);
    ASSERT_EQ(menu.entries.size(), 11u);
    EXPECT_EQ(menu.title, "Sort by");
    EXPECT_NE(menu.entries[0].text.find("Ctrl+F3"), std::string::npos);
    EXPECT_NE(menu.entries[8].text.find("Ctrl+F11"), std::string::npos);
    EXPECT_TRUE(menu.entries[9].separator);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(menu.entries[static_cast<size_t>(i)].checkMark, i == c.marked ? c.mark : U'\0') << i;
        EXPECT_EQ(menu.entries[static_cast<size_t>(i)].selected, i == c.marked) << i;
    }
    EXPECT_EQ(menu.entries[10].checkMark != 0, c.now.selectedFirst);
    EXPECT_EQ(chosenSort(c.now, c.chosen), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SortMenu,
    ::testing::Values(MenuCase{"another_mode", {SM_NAME, false}, 1, {SM_EXT, false}, 0, U'+'},
                      MenuCase{"the_same_mode_reverses", {SM_NAME, false}, 0, {SM_NAME, true}, 0, U'+'},
                      MenuCase{"reversed_is_marked_minus", {SM_SIZE, true}, 3, {SM_SIZE, false}, 3, U'-'},
                      MenuCase{"unsorted_and_owner", {SM_UNSORTED, false}, 8, {SM_OWNER, false}, 4, U'+'},
                      MenuCase{"default_shows_as_name", {SM_DEFAULT, false}, 5, {SM_CTIME, false}, 0, U'+'},
                      MenuCase{"selected_first_toggles_on", {SM_NAME, false}, 10, {SM_NAME, false, true}, 0, U'+'},
                      MenuCase{"selected_first_toggles_off", {SM_MTIME, false, true}, 10, {SM_MTIME, false, false}, 2, U'+'},
                      MenuCase{"a_mode_keeps_selected_first", {SM_NAME, false, true}, 2, {SM_MTIME, false, true}, 0, U'+'},
                      MenuCase{"separator_and_esc_change_nothing", {SM_ATIME, true}, 9, {SM_ATIME, true}, 6, U'-'},
                      MenuCase{"esc", {SM_DESCR, false}, -1, {SM_DESCR, false}, 7, U'+'}),
    [](const auto& info) { return std::string(info.param.name); });

// On the screen: Ctrl+F12 sorts the active panel by the chosen mode; Shift+F12 puts the selected
// entries first (FCTL_GETPANELINFO says so), kept after a re-read, and Shift+F12 again lets go.
TEST(PanelSort, TheMenuAndSelectedFirstOnTheScreen) {
    VfsScreen s;
    std::ofstream(s.dir / "big.txt") << std::string(300, 'b');
    s.key(k::kCtrl | 'R');
    s.menuAnswers.push_back(3);  // Size
    s.key(k::kCtrl | k::F(12));
    ASSERT_EQ(s.menuSpecs.size(), 1u);
    EXPECT_EQ(s.menuSpecs[0].entries[0].checkMark, U'+');
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "big.txt", "one.txt"}));
    s.manager->activePanel().setCurrent("one.txt");
    s.key(k::INS);
    s.key(k::kShift | k::F(12));
    EXPECT_EQ(s.names(), (Lines{"..", "one.txt", "sub", "big.txt"}));
    EXPECT_EQ(s.currentName(), "one.txt");
    PanelInfo info{};
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELSHORTINFO, &info));
    EXPECT_TRUE(info.Flags & PFLAGS_SELECTEDFIRST);
    s.key(k::kCtrl | 'R');
    EXPECT_EQ(s.names(), (Lines{"..", "one.txt", "sub", "big.txt"}));
    s.key(k::kShift | k::F(12));
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "big.txt", "one.txt"}));
}

// The letter right of the left panel's top-left corner.
std::string cornerOf(VfsScreen& s) {
    s.manager->paint();
    const term::CellBuffer& cells = s.console->cells();
    for (int y = 0; y < cells.height(); ++y)
        if (cells.at(0, y).ch == U'\u2554') return std::string(1, static_cast<char>(cells.at(1, y).ch));
    return "no panel";
}

// Ctrl+F6 sorts by size, largest first; Ctrl+F6 again reverses; the cursor stays on its file; the
// letter in the corner and FCTL_GETPANELINFO say which order is shown.
TEST(PanelSort, KeysChooseAndReverseTheOrderAndTheCursorFollowsItsEntry) {
    VfsScreen s;
    std::ofstream(s.dir / "big.txt") << std::string(300, 'b');
    std::ofstream(s.dir / "mid.txt") << std::string(20, 'm');
    std::string error;
    ASSERT_TRUE(s.manager->panel().reload(error)) << error;
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "big.txt", "mid.txt", "one.txt"}));
    EXPECT_EQ(cornerOf(s), "n");
    s.manager->activePanel().setCurrent("mid.txt");

    s.key(k::kCtrl | k::F(6));
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "big.txt", "mid.txt", "one.txt"}));
    EXPECT_EQ(cornerOf(s), "s");
    s.key(k::kCtrl | k::F(6));
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "one.txt", "mid.txt", "big.txt"}));
    EXPECT_EQ(s.currentName(), "mid.txt");
    EXPECT_EQ(cornerOf(s), "S");
    PanelInfo info{};
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELSHORTINFO, &info));
    EXPECT_EQ(info.SortMode, SM_SIZE);
    EXPECT_TRUE(info.Flags & PFLAGS_REVERSESORTORDER);

    // A re-read keeps the order; another mode's key starts it the normal way round.
    ASSERT_TRUE(s.manager->panel().reload(error)) << error;
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "one.txt", "mid.txt", "big.txt"}));
    s.key(k::kCtrl | k::F(3));
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "big.txt", "mid.txt", "one.txt"}));
    EXPECT_EQ(cornerOf(s), "n");
}

// A plug-in's items are sorted with the entries: GETPANELINFO lists them as shown, and an
// operation gets the item under the cursor.
TEST(PanelSort, APluginsItemsStayInStepWithWhatIsShown) {
    VfsScreen s;
    s.openVfs();
    s.key(k::kCtrl | k::F(3));  // name again: reversed
    ASSERT_EQ(s.names(), (Lines{"..", "hostile", "failing", "docs", "readme.txt"}));
    PanelInfo info{};
    ASSERT_TRUE(Control(s.manager->pluginPanel()->handle(), FCTL_GETPANELINFO, &info));
    ASSERT_EQ(info.ItemsNumber, 5);
    EXPECT_STREQ(info.PanelItems[1].FindData.cFileName, "hostile");
    EXPECT_STREQ(info.PanelItems[4].FindData.cFileName, "readme.txt");
    EXPECT_STREQ(info.PanelItems[4].Description, "Read me first");

    s.manager->activePanel().setCurrent("readme.txt");
    s.copyAnswers.push_back(s.dir.string());
    const size_t before = s.callCount();
    s.key(k::F(5));
    const Lines calls = s.calls(before);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Items readme.txt"), calls.end());
}

// FCTL_SETSORTMODE and FCTL_SETSORTORDER, on this panel and on the other one; a mode the host does
// not know is refused and changes nothing.
TEST(PanelSort, ControlSetsTheModeAndTheOrder) {
    VfsScreen s;
    std::ofstream(s.dir / "big.txt") << std::string(300, 'b');
    std::string error;
    ASSERT_TRUE(s.manager->panel().reload(error)) << error;
    int mode = SM_SIZE;
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_SETSORTMODE, &mode));
    int reverse = 1;
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_SETSORTORDER, &reverse));
    EXPECT_EQ(s.manager->activePanel().sortOrder(), (SortOrder{SM_SIZE, true}));
    EXPECT_EQ(s.names(), (Lines{"..", "sub", "one.txt", "big.txt"}));
    int unknown = 42;
    EXPECT_FALSE(Control(INVALID_HANDLE_VALUE, FCTL_SETSORTMODE, &unknown));
    EXPECT_EQ(s.manager->activePanel().sortOrder(), (SortOrder{SM_SIZE, true}));
    mode = SM_EXT;
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_SETANOTHERSORTMODE, &mode));
    EXPECT_EQ(s.manager->passivePanel().sortOrder(), (SortOrder{SM_EXT, false}));
    EXPECT_EQ(s.manager->activePanel().sortOrder(), (SortOrder{SM_SIZE, true}));
}

// A plug-in's StartSortMode and StartSortOrder are taken when its panel is first read.
TEST(PanelSort, APluginsStartOrderIsTakenOnce) {
    setenv("SKIMMER_VFS_SORT", "1", 1);  // start unsorted, reversed
    VfsScreen s;
    s.openVfs();
    EXPECT_EQ(s.manager->activePanel().sortOrder(), (SortOrder{SM_UNSORTED, true}));
    EXPECT_EQ(s.names(), (Lines{"..", "readme.txt", "hostile", "failing", "docs"}));
    s.key(k::kCtrl | k::F(3));
    s.key(k::kCtrl | 'R');  // read again: the user's order stays
    EXPECT_EQ(s.manager->activePanel().sortOrder(), (SortOrder{SM_NAME, false}));
    unsetenv("SKIMMER_VFS_SORT");
}

// The temporary panel keeps its list's order until the user sorts it.
TEST(PanelSort, TheTemporaryPanelStartsInItsListsOrder) {
    test::TempHome home;
    const fs::path list = home.root() / "list";
    std::ofstream(list) << "/zz-missing\n/\n/aa-missing\n";
    TempPanel panel;
    std::string error;
    ASSERT_TRUE(panel.load(list.string(), error)) << error;
    Lines names;
    for (const PanelEntry& e : panel.entries()) names.push_back(e.name);
    EXPECT_EQ(names, (Lines{"..", "/zz-missing", "/", "/aa-missing"}));
    panel.setSortOrder({SM_NAME, false});
    names.clear();
    for (const PanelEntry& e : panel.entries()) names.push_back(e.name);
    EXPECT_EQ(names, (Lines{"..", "/", "/aa-missing", "/zz-missing"}));
}

}  // namespace
}  // namespace skimmer::host::app
