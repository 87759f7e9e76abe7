// Sort orders: every mode's order over one set of entries, and on the screen: the keys, the
// corner letter, the cursor that follows its entry, a plug-in's items kept in step with what is
// shown, the FCTL_* sort commands, a plug-in's start order, and the temporary panel's list order.
#include <gtest/gtest.h>

#include <fstream>

#include "far/panel.h"
#include "host/services/control.h"
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
