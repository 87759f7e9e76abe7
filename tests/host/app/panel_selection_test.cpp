// Selecting several entries, on the file panel and on a plug-in's panel, and the operations that
// take the selection: the keys, the colours and the count line, F5/F6/F8 passing every selected
// item once with PPIF_SELECTED and keeping selected what the plug-in did not clear, and the
// selection as FCTL_GETPANELINFO / FCTL_SETSELECTION see it.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "far/panel.h"
#include "host/services/control.h"
#include "tests/host/app/vfs_screen.h"

namespace skimmer::host::app {
namespace {

using services::Control;

namespace k = term::key;
using Lines = std::vector<std::string>;

Lines selectedNames(const PanelList& panel) {
    Lines out;
    for (int i : panel.selectedIndices()) out.push_back(panel.entries()[static_cast<size_t>(i)].name);
    return out;
}

struct KeyCase {
    const char* name;
    bool plugin;           // the vfs panel's root, else the file panel over "d" (.., sub, one.txt, two.txt)
    const char* startAt;   // the entry the cursor starts on
    std::vector<k::Code> keys;
    Lines selected;
    const char* cursor;
};

class SelectionKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SelectionKeys, SelectAsFarDoes) {
    const KeyCase& c = GetParam();
    VfsScreen s;
    s.maskAnswers.assign(4, std::string("*.*"));  // Gray + and Gray - take FAR's first masks
    std::ofstream(s.dir / "two.txt") << "22";
    s.key(k::kCtrl | 'R');
    if (c.plugin) s.openVfs();
    s.manager->paint();  // the page keys move by what one page shows
    s.manager->activePanel().setCurrent(c.startAt);
    for (k::Code key : c.keys) s.key(key);
    EXPECT_EQ(selectedNames(s.manager->activePanel()), c.selected);
    EXPECT_EQ(s.currentName(), c.cursor);
    EXPECT_TRUE(s.manager->commandLine().text().empty());
}

const k::Code kGrayPlus = KEY_ADD, kGrayMinus = KEY_SUBTRACT, kGrayStar = KEY_MULTIPLY;

INSTANTIATE_TEST_SUITE_P(
    Keys, SelectionKeys,
    ::testing::Values(
        KeyCase{"ins_toggles_and_moves_dots_never", true, "..", {k::INS, k::INS, k::INS}, {"docs", "failing"}, "hostile"},
        KeyCase{"ins_twice_on_one_deselects", true, "docs", {k::INS, k::UP, k::INS}, {}, "failing"},
        KeyCase{"shift_down_then_up_carries_the_first_state", true, "docs",
                {k::kShift | k::DOWN, k::kShift | k::DOWN, k::kShift | k::UP}, {"docs", "failing", "hostile"}, "failing"},
        KeyCase{"shift_down_on_a_selected_one_deselects", true, "docs",
                {k::INS, k::UP, k::kShift | k::DOWN, k::kShift | k::DOWN}, {}, "hostile"},
        KeyCase{"shift_end_to_the_last", true, "hostile", {k::kShift | k::END}, {"hostile", "readme.txt"}, "readme.txt"},
        KeyCase{"shift_home_skips_dots", true, "failing", {k::kShift | k::HOME}, {"docs", "failing"}, ".."},
        KeyCase{"shift_pgdn_sweeps", true, "..", {k::kShift | k::PGDN}, {"docs", "failing", "hostile"}, "readme.txt"},
        KeyCase{"gray_plus_selects_files_only", true, "..", {kGrayPlus}, {"readme.txt"}, ".."},
        KeyCase{"gray_minus_deselects_all", true, "docs", {k::INS, kGrayPlus, kGrayMinus}, {}, "failing"},
        KeyCase{"gray_star_inverts_files", true, "docs", {k::INS, kGrayStar}, {"docs", "readme.txt"}, "failing"},
        KeyCase{"plain_plus_on_an_empty_line", false, "..", {'+'}, {"one.txt", "two.txt"}, ".."},
        KeyCase{"plain_star_then_minus", false, "..", {'*', '-'}, {}, ".."},
        KeyCase{"file_panel_ins", false, "sub", {k::INS, k::INS}, {"sub", "one.txt"}, "two.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

struct MaskCase {
    const char* name;
    const char* panel;  // "file" (d: sub, README, X.CPP, a.cpp, b.h, one.txt), "plugin" (the vfs root), "temp"
    std::vector<k::Code> keys;
    std::vector<std::optional<std::string>> answers;  // the Select / Deselect boxes' (none: Esc)
    Lines selected;  // names below "d" on the temporary panel
    Lines prompts;   // "title|initial line" of each box
};

class MaskSelection : public ::testing::TestWithParam<MaskCase> {};

// Gray + and Gray - ask for masks as FAR does (the last ones used offered again) and select or
// deselect what matches: FAR's lists, exclusions after '|', "*.*" for names without a dot, any
// case; folders are never selected by a mask; the temporary panel matches each path's last part.
TEST_P(MaskSelection, SelectsWhatTheMasksMatch) {
    const MaskCase& c = GetParam();
    VfsScreen s;
    for (const char* name : {"README", "X.CPP", "a.cpp", "b.h"}) std::ofstream(s.dir / name) << name;
    s.key(k::kCtrl | 'R');
    const std::string panel = c.panel;
    if (panel == "plugin") s.openVfs();
    if (panel == "temp") {
        const fs::path list = s.home.root() / "list.temp";
        std::ofstream(list) << (s.dir / "a.cpp").string() << "\n" << (s.dir / "sub").string() << "\n"
                            << (s.dir / "b.h").string() << "\n";
        s.manager->setTempPanelPrefix([] { return std::string("tmp"); });
        s.manager->commandLine().setText("tmp:" + list.string());
        s.key(k::ENTER);
        ASSERT_NE(s.manager->tempPanel(), nullptr);
    }
    s.maskAnswers.assign(c.answers.begin(), c.answers.end());
    for (k::Code key : c.keys) s.key(key);
    Lines selected = selectedNames(s.manager->activePanel());
    if (panel == "temp")
        for (std::string& n : selected) n = fs::path(n).lexically_relative(s.dir).string();
    EXPECT_EQ(selected, c.selected);
    EXPECT_EQ(s.maskPrompts, c.prompts);
}

const Lines kAllFiles{"README", "X.CPP", "a.cpp", "b.h", "one.txt"};

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskSelection,
    ::testing::Values(
        MaskCase{"star_dot_star_takes_names_without_a_dot", "file", {KEY_ADD}, {"*.*"}, kAllFiles, {"Select|*.*"}},
        MaskCase{"a_list_in_any_case", "file", {KEY_ADD}, {"*.cpp, *.h"}, {"X.CPP", "a.cpp", "b.h"}, {"Select|*.*"}},
        MaskCase{"exclusions_after_the_bar", "file", {KEY_ADD}, {"*.*|*.txt,readme"}, {"X.CPP", "a.cpp", "b.h"},
                 {"Select|*.*"}},
        MaskCase{"deselect_what_matches", "file", {k::kShift | KEY_ADD, KEY_SUBTRACT}, {"*.cpp"},
                 {"README", "b.h", "one.txt"}, {"Deselect|*.*"}},
        MaskCase{"esc_changes_nothing", "file", {KEY_ADD}, {std::nullopt}, {}, {"Select|*.*"}},
        MaskCase{"the_last_masks_come_back", "file", {KEY_ADD, KEY_SUBTRACT, '+'}, {"*.h", std::nullopt, ""}, {"b.h"},
                 {"Select|*.*", "Deselect|*.h", "Select|*.h"}},
        MaskCase{"shift_gray_minus_deselects_all_unasked", "file", {KEY_ADD, k::kShift | KEY_SUBTRACT}, {"*"}, {},
                 {"Select|*.*"}},
        MaskCase{"plugin_panel", "plugin", {KEY_ADD}, {"*e*"}, {"readme.txt"}, {"Select|*.*"}},
        MaskCase{"temp_panel_matches_the_last_part", "temp", {KEY_ADD}, {"*.cpp,s*"}, {"a.cpp"}, {"Select|*.*"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Typed text is not a selection key: '+' after a letter goes to the command line.
TEST(SelectionKeysLine, PlusAfterTextIsText) {
    VfsScreen s;
    s.key('a');
    s.key('+');
    EXPECT_EQ(s.manager->commandLine().text(), "a+");
    EXPECT_TRUE(s.manager->activePanel().selectedIndices().empty());
}

// Selected entries in PANELSELECTEDTEXT, the cursor on one in PANELSELECTEDCURSOR, and the
// separator line saying how many bytes in how many files; a re-read keeps the selection.
TEST(SelectionDrawn, ColoursAndTheCountLine) {
    VfsScreen s;
    s.openVfs();
    s.manager->activePanel().setCurrent("readme.txt");
    s.key(k::INS);  // selects readme.txt (8 bytes); the cursor stays on the last entry
    s.manager->activePanel().setCurrent("docs");
    s.key(k::INS);
    s.key(k::UP);
    s.manager->paint();
    const term::CellBuffer& cells = s.console->cells();
    EXPECT_EQ(cells.attrAt(1, 3), 0x3E);  // docs: selected, under the cursor
    EXPECT_EQ(cells.attrAt(1, 6), 0x1E);  // readme.txt: selected
    EXPECT_EQ(cells.attrAt(1, 5), 0x1F);  // hostile: a folder, not selected
    const std::string separator = cells.textAt(20 - 2 - 3);
    EXPECT_NE(separator.find(" 8 bytes in 2 files "), std::string::npos) << separator;
    s.key(k::kCtrl | 'R');
    EXPECT_EQ(selectedNames(s.manager->activePanel()), (Lines{"docs", "readme.txt"}));
    s.enter("docs");
    EXPECT_TRUE(s.manager->activePanel().selectedIndices().empty());
}

struct OpCase {
    const char* name;
    k::Code key;
    const char* keep;     // SKIMMER_VFS_KEEP
    const char* logged;   // the call
    const char* items;    // the items it was given
    Lines leftSelected;   // after the operation
};

class SelectionOperations : public ::testing::TestWithParam<OpCase> {};

// F5/F6/F8 on a plug-in panel with docs and readme.txt selected: one call with both items,
// PPIF_SELECTED on each; what the plug-in handled (cleared) is deselected, the rest stays
// (docs, a folder, cannot be copied by this plug-in).
TEST_P(SelectionOperations, OneCallWithEverySelectedItem) {
    const OpCase& c = GetParam();
    if (*c.keep) setenv("SKIMMER_VFS_KEEP", c.keep, 1);
    setenv("SKIMMER_VFS_NO_ASK", "1", 1);
    VfsScreen s;
    s.openVfs();
    s.manager->activePanel().setCurrent("docs");
    s.key(k::INS);
    s.manager->activePanel().setCurrent("readme.txt");
    s.key(k::INS);
    s.copyAnswers.push_back(s.dir.string());
    const size_t start = s.callCount();
    s.key(c.key);
    const Lines calls = s.calls(start);
    const auto call = std::find(calls.begin(), calls.end(), c.logged);
    ASSERT_NE(call, calls.end());
    ASSERT_NE(call + 1, calls.end());
    EXPECT_EQ(*(call + 1), c.items);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& l) { return l.rfind("Items", 0) == 0; }), 1);
    EXPECT_EQ(selectedNames(s.manager->activePanel()), c.leftSelected);
    if (c.key != k::F(8)) {
        ASSERT_EQ(s.copyPrompts.size(), 1u);
        EXPECT_EQ(s.copyPrompts[0].substr(0, 17), std::string(c.key == k::F(6) ? "Move" : "Copy") + " 2 items to:|");
        EXPECT_TRUE(fs::exists(s.dir / "readme.txt"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ops, SelectionOperations,
    ::testing::Values(OpCase{"copy", k::F(5), "", "GetFiles 2 0 1", "Items docs+ readme.txt+", {"docs"}},
                      OpCase{"move", k::F(6), "", "GetFiles 2 1 1", "Items docs+ readme.txt+", {"docs"}},
                      OpCase{"copy_kept_by_the_plugin", k::F(5), "readme.txt", "GetFiles 2 0 1",
                             "Items docs+ readme.txt+", {"docs", "readme.txt"}},
                      OpCase{"delete", k::F(8), "", "DeleteFiles 2 0", "Items docs+ readme.txt+", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// F5 on the file panel with two files selected: one PutFiles with both; the file panel keeps
// selected only what the plug-in did not clear.
TEST(SelectionPut, PutFilesWithTheFilePanelsSelection) {
    setenv("SKIMMER_VFS_KEEP", "two.txt", 1);
    VfsScreen s;
    std::ofstream(s.dir / "two.txt") << "22";
    s.openVfs(1);
    s.key(k::TAB);
    s.key(k::kCtrl | 'R');
    s.maskAnswers.push_back("*.*");
    s.key(KEY_ADD);
    s.copyAnswers.push_back("");
    const size_t start = s.callCount();
    s.key(k::F(5));
    const Lines calls = s.calls(start);
    const auto call = std::find(calls.begin(), calls.end(), "PutFiles 2 0 0");
    ASSERT_NE(call, calls.end());
    EXPECT_EQ(*(call + 1), "Items one.txt+ two.txt+");
    EXPECT_EQ(selectedNames(s.manager->activePanel()), (Lines{"two.txt"}));
    const Lines other = [&] {
        Lines n;
        for (const auto& e : s.manager->passivePanel().entries()) n.push_back(e.name);
        return n;
    }();
    EXPECT_NE(std::find(other.begin(), other.end(), "two.txt"), other.end());
}

// FCTL_GETPANELINFO reports the selection (PPIF_SELECTED in PanelItems, SelectedItems the
// selected ones), FCTL_SETSELECTION sets it from edited flags, FCTL_UPDATEPANEL(NULL) clears it,
// and a stale item list is refused.
TEST(SelectionControl, GetSetAndClear) {
    VfsScreen s;
    s.openVfs();
    HANDLE h = s.manager->pluginPanel()->handle();
    s.manager->activePanel().setCurrent("docs");
    s.key(k::INS);
    s.key(k::INS);
    PanelInfo info{};
    ASSERT_TRUE(Control(h, FCTL_GETPANELINFO, &info));
    ASSERT_EQ(info.SelectedItemsNumber, 2);
    EXPECT_STREQ(info.SelectedItems[0].FindData.cFileName, "docs");
    EXPECT_STREQ(info.SelectedItems[1].FindData.cFileName, "failing");
    EXPECT_TRUE(info.SelectedItems[1].Flags & PPIF_SELECTED);
    EXPECT_TRUE(info.PanelItems[1].Flags & PPIF_SELECTED);
    EXPECT_FALSE(info.PanelItems[3].Flags & PPIF_SELECTED);
    info.PanelItems[1].Flags &= ~PPIF_SELECTED;
    info.PanelItems[0].Flags |= PPIF_SELECTED;  // "..": never selected
    info.PanelItems[4].Flags |= PPIF_SELECTED;
    ASSERT_TRUE(Control(h, FCTL_SETSELECTION, &info));
    EXPECT_EQ(selectedNames(s.manager->activePanel()), (Lines{"failing", "readme.txt"}));
    info.ItemsNumber = 2;
    EXPECT_FALSE(Control(h, FCTL_SETSELECTION, &info));
    EXPECT_EQ(selectedNames(s.manager->activePanel()), (Lines{"failing", "readme.txt"}));
    ASSERT_TRUE(Control(h, FCTL_UPDATEPANEL, &info));  // non-NULL: kept
    EXPECT_EQ(selectedNames(s.manager->activePanel()).size(), 2u);
    ASSERT_TRUE(Control(h, FCTL_UPDATEPANEL, nullptr));
    EXPECT_TRUE(s.manager->activePanel().selectedIndices().empty());
    ASSERT_TRUE(Control(h, FCTL_GETPANELINFO, &info));
    ASSERT_EQ(info.SelectedItemsNumber, 1);  // none selected: the current item, without the flag
    EXPECT_FALSE(info.SelectedItems[0].Flags & PPIF_SELECTED);
}

}  // namespace
}  // namespace skimmer::host::app
