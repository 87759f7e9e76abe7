// The column editor: which codes and widths it takes, that the built-in layout greys the fields
// out and skips the checks, and that only an accepted dialog reaches the settings and the disk.
#include "settings/column_editor.h"

#include <cerrno>

#include "far/keys.h"
#include "settings/settings_dialogs.h"
#include "tests/settings/settings_fixture.h"

namespace skimmer::settings {
namespace {

using config::TConfigValue;
using Script = std::function<void(host::ui::test::ScriptedEvents&)>;

struct TextCase {
    std::string text;
    bool codes;   // valid as column codes
    bool widths;  // valid as column widths
};

class ColumnTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(ColumnTexts, AreJudgedAsCodesAndAsWidths) {
    EXPECT_EQ(validColumnCodes(GetParam().text), GetParam().codes);
    EXPECT_EQ(validColumnWidths(GetParam().text), GetParam().widths);
}

INSTANTIATE_TEST_SUITE_P(Texts, ColumnTexts, ::testing::Values(
    TextCase{"N,S,P", true, false}, TextCase{"n,s,d,t", true, false}, TextCase{"N;S", false, false},
    TextCase{"26,6,30", false, true}, TextCase{"26, 6 ,30", false, true}, TextCase{"1,128", false, true},
    TextCase{"0", false, false}, TextCase{"129", false, false}, TextCase{"100000", false, false},
    TextCase{"-5", false, false}, TextCase{"26,,30", false, false}, TextCase{"", true, false},
    TextCase{"a,b", false, false}));

// The defaults are "N,S,P" and "26,6,30"; the tests start with the built-in layout off or on.
struct ColumnCase {
    std::string what;
    bool builtIn;
    Script keys;
    std::string shown;  // a refusal shown after `keys`, when not empty
    Script more;
    bool accepted;
    std::string columns, widths;
    bool builtInAfter;
};

void PrintTo(const ColumnCase& c, std::ostream* out) { *out << c.what; }

class ColumnEditorTest : public test::SettingsDialogTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(ColumnEditorTest, OnlyAnAcceptedValidLayoutIsSaved) {
    const ColumnCase& c = GetParam();
    config::setConfigValue(store->config, "SKSFIDontUse", TConfigValue::boolean(c.builtIn));
    config::configSaveValues(store->config);
    const std::string before = onDisk();
    c.keys(ui.events);
    if (!c.shown.empty()) expectShown(c.shown);
    c.more(ui.events);

    EXPECT_EQ(RunColumnEditor(env), c.accepted);
    const std::vector<TConfigValue> expected = {TConfigValue::str(c.columns), TConfigValue::str(c.widths),
                                                TConfigValue::boolean(c.builtInAfter)};
    auto values = [](const test::SettingsStore& s) {
        return std::vector<TConfigValue>{s.get("SKSFIColumns"), s.get("SKSFIWidths"), s.get("SKSFIDontUse")};
    };
    EXPECT_EQ(values(*store), expected);
    EXPECT_EQ(values(fresh()), expected);
    if (!c.accepted) {
        EXPECT_EQ(onDisk(), before) << "a cancelled editor writes nothing";
    }
    EXPECT_TRUE(store->errors.empty());
}

const auto kNone = [](auto&) {};

INSTANTIATE_TEST_SUITE_P(Sessions, ColumnEditorTest, ::testing::Values(
    ColumnCase{"lower_case_codes_are_kept_as_typed", false, [](auto& e) { e.type("n,s,d").key(KEY_ENTER); }, "", kNone,
               true, "n,s,d", "26,6,30", false},
    ColumnCase{"a_semicolon_is_refused_and_cancel_puts_the_codes_back", false,
               [](auto& e) { e.type("N;S").key(KEY_ENTER); }, "Invalid column code",
               [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); }, false, "N,S,P", "26,6,30", false},
    ColumnCase{"a_width_of_0_is_refused_then_mended", false, [](auto& e) { e.key(KEY_TAB).type("0,6,30").key(KEY_ENTER); },
               "Invalid column widths", [](auto& e) { e.key(KEY_ENTER).type("20,6,30").key(KEY_ENTER); },
               true, "N,S,P", "20,6,30", false},
    ColumnCase{"a_width_of_100000_is_refused", false, [](auto& e) { e.key(KEY_TAB).type("100000").key(KEY_ENTER); },
               "from 1 to 128", [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); }, false, "N,S,P", "26,6,30", false},
    ColumnCase{"letters_as_widths_are_refused", false, [](auto& e) { e.key(KEY_TAB).type("a,b").key(KEY_ENTER); },
               "Invalid column widths", [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); }, false, "N,S,P", "26,6,30", false},
    ColumnCase{"the_built_in_layout_skips_the_checks", false,
               [](auto& e) { e.type("N;S").key(KEY_TAB).key(KEY_TAB).key(KEY_SPACE).key(KEY_ENTER); }, "", kNone,
               true, "N;S", "26,6,30", true},
    // Unticking enables the widths: Shift+Tab from the box reaches them and the typing is kept.
    ColumnCase{"unticking_the_built_in_layout_enables_the_fields", true,
               [](auto& e) { e.key(KEY_SPACE).key(KEY_SHIFTTAB).type("9,9").key(KEY_ENTER); }, "", kNone,
               true, "N,S,P", "9,9", false},
    // Ticking disables them: Shift+Tab passes over both fields to Cancel, where typing does nothing.
    ColumnCase{"ticking_the_built_in_layout_disables_the_fields", false,
               [](auto& e) { e.key(KEY_TAB).key(KEY_TAB).key(KEY_SPACE).key(KEY_SHIFTTAB).type("9,9").key(KEY_ENTER); },
               "", kNone, false, "N,S,P", "26,6,30", false}),
    [](const auto& info) { return info.param.what; });

TEST_F(ColumnEditorTest, ASaveTheDiskRefusesIsReportedOnceAndTheValuesStayInMemory) {
    if (!faultsReachTheStore()) GTEST_SKIP() << "the registry writes without the file system faults are injected into";
    config::setConfigValue(store->config, "SKSFIDontUse", TConfigValue::boolean(false));
    config::configSaveValues(store->config);
    const std::string before = onDisk();
    faults.failCall(1, ENOSPC, false, skimmer::test::FsOp::Write);
    ui.events.type("D,N").key(KEY_ENTER);
    EXPECT_TRUE(RunColumnEditor(env));
    ASSERT_EQ(store->errors.size(), 1u);
    EXPECT_EQ(store->get("SKSFIColumns"), TConfigValue::str("D,N"));
    EXPECT_EQ(onDisk(), before);
}

}  // namespace
}  // namespace skimmer::settings
