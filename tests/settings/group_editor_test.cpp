// The user-group editor: the menu's keys change the list, every change reaches the disk at once,
// the list never passes seven groups, and a refused field keeps the group as it was.
#include "settings/group_editor.h"

#include <cerrno>

#include "far/keys.h"
#include "os/text_border.h"
#include "settings/settings_dialogs.h"
#include "tests/settings/settings_fixture.h"

namespace skimmer::settings {
namespace {

using config::TSKSSortGroup;
using Script = std::function<void(host::ui::test::ScriptedEvents&)>;

// Both columns keep their width in characters: a long name is cut with "...", a short one padded;
// the line between them is drawn in the console's code page.
TEST(GroupMenuText, KeepsTheNameColumnTwentyWideWhateverTheName) {
    const std::string line = GroupMenuText({.Name = std::string(25, 'n'), .Kind = "kind:doc", .Ext = "", .Max = 0});
    EXPECT_EQ(line, std::string(17, 'n') + "... " + os::oemFromUnicode(U"\u2502") + "\"kind:doc\"" + std::string(30, ' '));
}

// One session of the list editor: the groups it starts with, what the user does, what is left.
struct GroupCase {
    std::string what;
    std::vector<std::string> before;  // names; kind "k:<name>", Max 1
    Script keys;
    std::vector<std::string> after;   // "name|kind|max"
    std::string shown;                // a text the session shows after `keys`, when not empty
    Script more = [](auto&) {};       // keys after that look
};

void PrintTo(const GroupCase& c, std::ostream* out) { *out << c.what; }

std::string describe(const TSKSSortGroup& group) {
    return group.Name + "|" + group.Kind + "|" + std::to_string(group.Max);
}
std::vector<std::string> describe(const config::TSKSSortGroups& groups) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < groups.SortGroupCount; ++i) out.push_back(describe(groups.SortGroups[static_cast<size_t>(i)]));
    return out;
}

// Every setting's current value, to show that the group dialogs edit their own fields only.
std::vector<std::string> settingValues(const config::TRegistryConfig& table) {
    std::vector<std::string> out;
    for (const auto& e : table.Elements)
        out.push_back(e.Name + "=" + e.StrValue + "|" + std::to_string(e.IntValue) + "|" + std::to_string(e.BoolValue));
    return out;
}

class GroupEditorTest : public test::SettingsDialogTest, public ::testing::WithParamInterface<GroupCase> {
protected:
    void start(const std::vector<std::string>& names) {
        store->groups = {};
        for (const std::string& name : names)
            store->groups.SortGroups[static_cast<size_t>(store->groups.SortGroupCount++)] = {name, "k:" + name, "", 1};
        ASSERT_TRUE(config::saveSortGroups(store->groups, store->config.location_));
    }
};

TEST_P(GroupEditorTest, KeysChangeTheListAndEveryChangeIsOnDisk) {
    start(GetParam().before);
    const std::string before = onDisk();
    const std::vector<std::string> settingsBefore = settingValues(store->config);
    GetParam().keys(ui.events);
    if (!GetParam().shown.empty()) expectShown(GetParam().shown);
    GetParam().more(ui.events);
    ui.events.key(KEY_ESC);  // leaves the list

    const bool changed = RunGroupEditor(env);
    EXPECT_EQ(describe(store->groups), GetParam().after);
    EXPECT_EQ(describe(fresh().groups), GetParam().after);
    std::vector<std::string> untouched;
    for (const auto& name : GetParam().before) untouched.push_back(name + "|k:" + name + "|1");
    EXPECT_EQ(changed, GetParam().after != untouched);
    EXPECT_EQ(settingValues(store->config), settingsBefore) << "a group is edited in its own fields, not settings";
    if (!changed) {
        EXPECT_EQ(onDisk(), before) << "an unchanged list writes nothing";
    }
    EXPECT_TRUE(store->errors.empty());
}

const std::vector<std::string> kSeven = {"1", "2", "3", "4", "5", "6", "7"};

INSTANTIATE_TEST_SUITE_P(Sessions, GroupEditorTest, ::testing::Values(
    GroupCase{"ctrl_up_on_the_first_swaps_it_with_the_last", {"A", "B", "C"},
              [](auto& e) { e.key(KEY_CTRLUP); }, {"C|k:C|1", "B|k:B|1", "A|k:A|1"}, ""},
    GroupCase{"ctrl_down_on_the_last_swaps_it_with_the_first", {"A", "B", "C"},
              [](auto& e) { e.key(KEY_UP).key(KEY_CTRLDOWN); }, {"C|k:C|1", "B|k:B|1", "A|k:A|1"}, ""},
    GroupCase{"deleting_the_only_group_shows_the_empty_line", {"A"},
              [](auto& e) { e.key(KEY_DEL).key(KEY_ENTER); }, {}, "press Ins to add one"},
    GroupCase{"a_delete_answered_no_keeps_the_group", {"A", "B"},
              [](auto& e) { e.key(KEY_DOWN).key(KEY_DEL).key(KEY_ESC); }, {"A|k:A|1", "B|k:B|1"}, ""},
    GroupCase{"insert_into_an_empty_list", {},
              [](auto& e) { e.key(KEY_INS).type("Docs").key(KEY_TAB).type("kind:doc").key(KEY_TAB).key(KEY_TAB).type("5").key(KEY_ENTER); },
              {"Docs|kind:doc|5"}, ""},
    GroupCase{"insert_goes_after_the_selected_group", {"A", "B"},
              [](auto& e) { e.key(KEY_INS).type("X").key(KEY_ENTER); }, {"A|k:A|1", "X||0", "B|k:B|1"}, ""},
    GroupCase{"insert_on_a_full_list_is_refused", kSeven,
              [](auto& e) { e.key(KEY_INS); },
              {"1|k:1|1", "2|k:2|1", "3|k:3|1", "4|k:4|1", "5|k:5|1", "6|k:6|1", "7|k:7|1"}, "most there can be is 7",
              [](auto& e) { e.key(KEY_ENTER); }},
    GroupCase{"letters_in_the_maximum_are_refused_and_the_field_mended", {"A"},
              [](auto& e) {
                  e.key(KEY_F4).key(KEY_TAB).key(KEY_TAB).key(KEY_TAB).type("12x").key(KEY_ENTER);
                  e.key(KEY_ENTER).type("12").key(KEY_ENTER);  // the box, then the field again
              },
              {"A|k:A|12"}, ""},
    GroupCase{"an_empty_name_is_refused_and_cancelling_keeps_the_group", {"A"},
              [](auto& e) { e.key(KEY_F4).key(KEY_DEL).key(KEY_ENTER); },
              {"A|k:A|1"}, "needs a name", [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); }},
    GroupCase{"a_negative_maximum_is_refused", {"A"},
              [](auto& e) { e.key(KEY_F4).key(KEY_TAB).key(KEY_TAB).key(KEY_TAB).type("-1").key(KEY_ENTER); },
              {"A|k:A|1"}, "from 0 to 2147483647", [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); }}),
    [](const auto& info) { return info.param.what; });

TEST_F(GroupEditorTest, AWriteTheDiskRefusesIsReportedAndTheChangeStaysInMemory) {
    if (!faultsReachTheStore()) GTEST_SKIP() << "the registry writes without the file system faults are injected into";
    start({"A", "B"});
    const std::string before = onDisk();
    faults.failCall(1, ENOSPC, false, skimmer::test::FsOp::Write);
    ui.events.key(KEY_CTRLDOWN);
    expectShown("groups were not saved");
    ui.events.key(KEY_ENTER).key(KEY_ESC);
    EXPECT_TRUE(RunGroupEditor(env));
    EXPECT_EQ(describe(store->groups), (std::vector<std::string>{"B|k:B|1", "A|k:A|1"}));
    EXPECT_EQ(onDisk(), before);
}

}  // namespace
}  // namespace skimmer::settings
