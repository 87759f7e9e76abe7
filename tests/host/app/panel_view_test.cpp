// View modes on the screen, against the virtual-file-system test plug-in: each of the ten
// standard modes draws its column titles and cells, a plug-in's own modes replace them, the
// plug-in hears FE_CHANGEVIEWMODE, and descriptions never reach the screen raw.
#include <gtest/gtest.h>

#include <algorithm>

#include "far/panel.h"
#include "host/services/control.h"
#include "tests/host/app/vfs_screen.h"

namespace skimmer::host::app {
namespace {

using services::Control;

namespace k = term::key;
using Lines = std::vector<std::string>;

constexpr unsigned short kColumns = 160, kRows = 24;

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The text of screen row `y` from column x1 to x2 (inclusive).
std::string rowText(VfsScreen& s, int y, int x1, int x2) {
    std::string out;
    for (int x = x1; x <= x2; ++x) appendUtf8(out, s.console->cells().at(x, y).ch);
    return out;
}

// True when every text appears in `line`, each after the one before.
bool inOrder(const std::string& line, const Lines& texts) {
    size_t at = 0;
    for (const std::string& t : texts) {
        at = line.find(t, at);
        if (at == std::string::npos) return false;
        at += t.size();
    }
    return true;
}

int rowOf(VfsScreen& s, const std::string& text) {
    for (int y = 0; y < s.console->cells().height(); ++y)
        if (s.console->cells().textAt(y).find(text) != std::string::npos) return y;
    return -1;
}

struct ModeCase {
    const char* name;
    int mode;
    bool ownModes;       // SKIMMER_VFS_MODES: the plug-in's modes
    bool fullScreen;
    Lines titles;        // the column titles, left to right
    Lines readmeCells;   // texts in readme.txt's row, left to right
    const char* types;   // what FE_CHANGEVIEWMODE carried
};

class ViewModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ViewModes, DrawTheirColumnsAndTellThePlugin) {
    const ModeCase& c = GetParam();
    if (c.ownModes) setenv("SKIMMER_VFS_MODES", "1", 1);
    VfsScreen s(kColumns, kRows);
    s.openVfs();
    const size_t start = s.callCount();
    s.key(static_cast<k::Code>(k::kCtrl | ('0' + c.mode)));
    s.manager->paint();
    const int right = c.fullScreen ? kColumns - 1 : kColumns / 2 - 1;
    EXPECT_TRUE(inOrder(rowText(s, 1, 0, right), c.titles)) << rowText(s, 1, 0, right);
    const int y = rowOf(s, "readme");
    ASSERT_GT(y, 1);
    EXPECT_TRUE(inOrder(rowText(s, y, 0, right), c.readmeCells)) << rowText(s, y, 0, right);
    // A full-screen mode covers the other panel: no second frame on the right half.
    EXPECT_EQ(rowText(s, 0, kColumns / 2, kColumns / 2) == "╔", !c.fullScreen);
    const Lines calls = s.calls(start);
    EXPECT_NE(std::find(calls.begin(), calls.end(), std::string("ProcessEvent 0 ") + c.types), calls.end());
    EXPECT_EQ(s.manager->pluginPanel()->viewModeIndex(), c.mode);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ViewModes,
    ::testing::Values(
        ModeCase{"alternative_full", 0, false, false, {"Name", "Size", "Date"}, {"readme.txt", "8"}, "N,SC,D"},
        ModeCase{"brief", 1, false, false, {"Name", "Name", "Name"}, {"readme.txt"}, "N,N,N"},
        ModeCase{"medium", 2, false, false, {"Name", "Name"}, {"readme.txt"}, "N,N"},
        ModeCase{"full", 3, false, false, {"Name", "Size", "Date", "Time"}, {"readme.txt", "8"}, "N,S,D,T"},
        ModeCase{"wide", 4, false, false, {"Name", "Size"}, {"readme.txt", "8"}, "N,S"},
        ModeCase{"detailed", 5, false, true, {"Name", "Size", "Packed", "Modified", "Created", "Accessed"},
                 {"readme.txt", "8", "8"}, "N,S,P,DM,DC,DA"},
        ModeCase{"descriptions", 6, false, false, {"Name", "Description"}, {"readme.txt", "Read me first"}, "N,Z"},
        ModeCase{"long_descriptions", 7, false, true, {"Name", "Size", "Description"},
                 {"readme.txt", "8", "Read me first"}, "N,S,Z"},
        ModeCase{"owners", 8, false, false, {"Name", "Size", "Owner"}, {"readme.txt", "8"}, "N,S,O"},
        ModeCase{"links", 9, false, false, {"Name", "Size", "Lnk"}, {"readme.txt", "8"}, "N,S,LN"},
        ModeCase{"plugins_own_mode", 3, true, false, {"File", "Kind", "Note"}, {"readme.txt", "file", "Read me first"},
                 "N,C0,Z"},
        ModeCase{"plugins_own_full_screen", 8, true, true, {"Name", "Description"}, {"readme.txt", "Read me first"},
                 "N,Z"},
        ModeCase{"a_mode_the_plugin_leaves_is_standard", 6, true, false, {"Name", "Description"},
                 {"readme.txt", "Read me first"}, "N,Z"}),
    [](const auto& info) { return std::string(info.param.name); });

// StartPanelMode puts a new panel in the plug-in's mode, its status line shows its status
// columns, and FCTL_GETPANELINFO reports the mode and its columns.
TEST(ViewModesStart, ThePluginsStartModeAndStatusColumns) {
    setenv("SKIMMER_VFS_MODES", "1", 1);
    VfsScreen s(kColumns, kRows);
    s.openVfs();
    s.manager->activePanel().setCurrent("readme.txt");
    s.manager->paint();
    EXPECT_EQ(s.manager->pluginPanel()->viewModeIndex(), 3);
    const std::string status = rowText(s, kRows - 4, 0, kColumns / 2 - 1);
    EXPECT_TRUE(inOrder(status, {"file", "Read me first"})) << status;
    PanelInfo info{};
    ASSERT_TRUE(Control(s.manager->pluginPanel()->handle(), FCTL_GETPANELSHORTINFO, &info));
    EXPECT_EQ(info.ViewMode, 3);
    EXPECT_STREQ(info.ColumnTypes, "N,C0,Z");
    EXPECT_STREQ(info.ColumnWidths, "0,6,0");
    int mode = 6;
    ASSERT_TRUE(Control(s.manager->pluginPanel()->handle(), FCTL_SETVIEWMODE, &mode));
    EXPECT_EQ(s.manager->pluginPanel()->viewModeIndex(), 6);
    mode = 10;
    EXPECT_FALSE(Control(s.manager->pluginPanel()->handle(), FCTL_SETVIEWMODE, &mode));
}

// The file panel and the plug-in panel beside it keep a mode each.
TEST(ViewModesPerPanel, EachPanelKeepsItsOwnMode) {
    VfsScreen s(kColumns, kRows);
    s.openVfs(1);
    s.key(static_cast<k::Code>(k::kCtrl | '6'));
    s.key(k::TAB);
    s.key(static_cast<k::Code>(k::kCtrl | '3'));
    s.manager->paint();
    EXPECT_EQ(s.manager->activePanel().viewModeIndex(), 3);
    EXPECT_EQ(s.manager->passivePanel().viewModeIndex(), 6);
    EXPECT_TRUE(inOrder(rowText(s, 1, 0, kColumns / 2 - 1), {"Name", "Size", "Date", "Time"}));
    EXPECT_TRUE(inOrder(rowText(s, 1, kColumns / 2, kColumns - 1), {"Name", "Description"}));
}

// In Brief the entries flow down one stripe, then the next; Left/Right move a stripe sideways and
// a click finds the entry in any stripe.
TEST(ViewModesStripes, BriefFlowsIntoStripes) {
    VfsScreen s(kColumns, 10);  // three rows of entries
    s.openVfs();
    s.key(static_cast<k::Code>(k::kCtrl | '1'));
    s.manager->paint();
    ASSERT_EQ(s.manager->activePanel().stripeRows(), 3);
    EXPECT_EQ(s.manager->activePanel().pageRows(), 9);
    const std::string first = rowText(s, 2, 0, kColumns / 2 - 1);
    EXPECT_TRUE(inOrder(first, {"..", "hostile"})) << first;
    s.key(k::RIGHT);
    EXPECT_EQ(s.currentName(), "hostile");
    s.key(k::LEFT);
    EXPECT_EQ(s.currentName(), "..");
    int x = 0;  // the column of "hostile": its UTF-8 lead bytes before it (all single-width here)
    for (size_t i = 0; i < first.find("hostile"); ++i) x += (static_cast<unsigned char>(first[i]) & 0xC0) != 0x80;
    EXPECT_EQ(s.manager->activePanel().indexAt(x, 3), 4);  // readme.txt, below it
    EXPECT_EQ(s.manager->activePanel().indexAt(x - 2, 3), 1);  // docs, in the first stripe
}

// Descriptions with escape sequences, bytes that are not UTF-8 and 10,000 characters are shown
// escaped and cut: no control character reaches a cell, and the long one ends in FAR's '}'.
TEST(ViewModesHostile, DescriptionsAreEscapedAndCut) {
    VfsScreen s(kColumns, kRows);
    s.openVfs();
    s.enter("hostile");
    s.key(static_cast<k::Code>(k::kCtrl | '6'));
    s.manager->paint();
    const term::CellBuffer& cells = s.console->cells();
    std::string screen;
    for (int y = 0; y < cells.height(); ++y) {
        screen += cells.textAt(y) + "\n";
        for (int x = 0; x < cells.width(); ++x) {
            const char32_t cp = cells.at(x, y).ch;
            EXPECT_FALSE(cp < 0x20 && cp != term::kWideTail) << x << "," << y;
            EXPECT_FALSE(cp >= 0x7F && cp < 0xA0) << x << "," << y;  // DEL and the C1 controls (CSI)
        }
    }
    EXPECT_NE(screen.find("\\x1B[2J"), std::string::npos) << screen;
    EXPECT_NE(screen.find("bad\\xFF\\xFE\\x9B31mbytes"), std::string::npos) << screen;
    const int y = rowOf(s, "long xxx");
    ASSERT_GE(y, 0);
    EXPECT_NE(rowText(s, y, 0, kColumns / 2 - 1).find("xxx}"), std::string::npos);
}

}  // namespace
}  // namespace skimmer::host::app
