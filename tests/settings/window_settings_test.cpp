// "SKSConfig" headless: its table at the positions its layout gives, the items it enables and
// disables as the user clicks others, the custom size check against the console, the side
// buttons, and that only an accepted dialog reaches the disk.
#include "settings/window_settings.h"

#include "dialogs/registered_dialog.h"
#include "far/keys.h"
#include "settings/settings_dialogs.h"
#include "tests/settings/settings_fixture.h"

namespace skimmer::settings {
namespace {

using config::TConfigValue;
using Script = std::function<void(host::ui::test::ScriptedEvents&)>;
using Values = std::vector<std::pair<std::string, TConfigValue>>;

// The dialog is 59x24, centred on the 80x25 screen: its cell (x, y) is the screen's (x + 10, y).
constexpr int kLeft = 10;

struct Place {
    std::string name;
    int option;  // 0 for items that are not radio options
    int x, y;
};

class WindowSettingsTable : public test::SettingsDialogTest, public ::testing::WithParamInterface<Place> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(dialogs::RegisterDialog(dialog, store->config, windowSettingsTable(tables, buttons), error)) << error;
    }
    const FarDialogItem& item(const std::string& name, int option = 0) {
        const int index = dialogs::ItemIndexByName(dialog, name);
        EXPECT_GE(index, 0) << name;
        return dialog.Items.at(static_cast<size_t>(index + option + 1));
    }
    WindowSettingsButtons buttons;
    dialogs::TRegisteredDialog dialog;
};

TEST_P(WindowSettingsTable, PutsEachItemWhereTheLayoutSays) {
    const FarDialogItem& it = item(GetParam().name, GetParam().option);
    EXPECT_EQ(it.X1, GetParam().x);
    EXPECT_EQ(it.Y1, GetParam().y);
}

// Positions that follow the language messages' lengths ("C&ustom" 7, "Window size: " 13, "F&it" 4,
// "Co&nsole" 8, "Height: " 8, "Width: " 7, "Enter:" 6, "comman&d line" 13, "Colours: " 9,
// "Plain" 5, "&Panel" 6, "&Full info" 10) and fixed ones.
INSTANTIATE_TEST_SUITE_P(Items, WindowSettingsTable, ::testing::Values(
    Place{"LGroup", 0, 5, 2}, Place{"SKSGroupMode", 2, 32, 3}, Place{"SKSGroupMode", 1, 5, 4}, Place{"BCustom", 0, 16, 4},
    Place{"LSize", 0, 5, 6}, Place{"SKSWindowMode", 0, 18, 6}, Place{"SKSWindowMode", 1, 26, 6},
    Place{"SKSWindowMode", 2, 38, 6}, Place{"LHeight", 0, 5, 7}, Place{"SKSWindowHeight", 0, 13, 7},
    Place{"LWidth", 0, 26, 7}, Place{"SKSWindowWidth", 0, 33, 7}, Place{"SKSKeySequence", 0, 12, 9},
    Place{"SKSKeySequence", 1, 29, 9}, Place{"SKSStyle", 0, 14, 11}, Place{"SKSStyle", 1, 23, 11},
    Place{"SKSStyle", 2, 33, 11}, Place{"SKSFullInfo", 0, 5, 13}, Place{"BFull", 0, 20, 13},
    Place{"SKSRealShortcuts", 0, 32, 13}, Place{"SKSUseCL", 0, 32, 14}, Place{"SKSAllResults", 0, 32, 15},
    Place{"SKSHighlightFiles", 0, 32, 16}, Place{"SKSCopyTemp", 0, 32, 17}, Place{"SKSWindowAnimation", 0, 32, 19},
    Place{"SKSHideButtons", 0, 5, 16}, Place{"SKSHighlightKeyword", 0, 5, 17}, Place{"SKSPositionW", 0, 5, 19},
    Place{"BOK", 0, 5, 21}, Place{"BCancel", 0, 13, 21}, Place{"BAbout", 0, 25, 21}),
    [](const auto& info) { return info.param.name + std::to_string(info.param.option); });

// Cells an item takes on its row, its hot-key mark not drawn.
int cellsOf(const FarDialogItem& item) {
    const std::string text = item.Data;
    int chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    chars -= text.find('&') != std::string::npos;
    switch (item.Type) {
        case DI_CHECKBOX:
        case DI_RADIOBUTTON:
        case DI_BUTTON: return chars + 4;
        default: return item.X2 - item.X1 + 1;
    }
}

TEST_F(WindowSettingsTable, HasItsItemsInTableOrderWithNoTwoOverlappingAndAllInsideTheFrame) {
    EXPECT_EQ(dialog.ItemCount - 1, 44);  // 36 rows, four of them radio groups of 4, 3, 2 and 3 options
    EXPECT_LT(dialogs::ItemIndexByName(dialog, "SKSWindowAnimation"), dialogs::ItemIndexByName(dialog, "SKSPositionW"));
    EXPECT_EQ(buttons.About, dialogs::ItemIndexByName(dialog, "BAbout"));
    for (size_t a = 2; a < dialog.Items.size(); ++a) {
        const FarDialogItem& one = dialog.Items[a];
        if (one.Flags & DIF_SEPARATOR) continue;
        EXPECT_LE(one.X1 + cellsOf(one), 55) << one.Data;
        for (size_t b = a + 1; b < dialog.Items.size(); ++b) {
            const FarDialogItem& other = dialog.Items[b];
            if ((other.Flags & DIF_SEPARATOR) || other.Y1 != one.Y1) continue;
            const bool apart = one.X1 + cellsOf(one) <= other.X1 || other.X1 + cellsOf(other) <= one.X1;
            EXPECT_TRUE(apart) << "'" << one.Data << "' and '" << other.Data << "' on row " << one.Y1;
        }
    }
}

// One session: the settings it starts from, what the user does (a look at the screen between),
// and the settings after it, in memory and on disk.
struct Session {
    std::string what;
    Values before;
    Script keys;
    std::string shown;  // shown after `keys`, when not empty
    Script more;
    Values after;
    bool accepted;
};

void PrintTo(const Session& c, std::ostream* out) { *out << c.what; }

class WindowSettingsSession : public test::SettingsDialogTest, public ::testing::WithParamInterface<Session> {};

Script click(int x, int y) {
    return [x, y](auto& e) { e.click(kLeft + x, y); };
}
// Clicks a 4-wide number field and replaces its text.
Script retype(int x, int y, std::string text) {
    return [x, y, text](auto& e) { e.click(kLeft + x + 3, y).key(KEY_BS).key(KEY_BS).key(KEY_BS).key(KEY_BS).type(text); };
}
Script both(Script a, Script b) {
    return [a, b](auto& e) { a(e); b(e); };
}
const Script kOk = click(5, 21);
const Script kNothing = [](auto&) {};

TEST_P(WindowSettingsSession, ReachesTheSettingsOnlyWhenAcceptedAndValid) {
    const Session& s = GetParam();
    for (const auto& [name, value] : s.before) config::setConfigValue(store->config, name, value);
    config::configSaveValues(store->config);
    const std::string before = onDisk();
    s.keys(ui.events);
    if (!s.shown.empty()) expectShown(s.shown);
    s.more(ui.events);

    EXPECT_EQ(RunSearchWindowSettings(env), s.accepted);
    for (const auto& [name, value] : s.after) {
        EXPECT_EQ(store->get(name.c_str()), value) << name << " in memory";
        EXPECT_EQ(fresh().get(name.c_str()), value) << name << " on disk";
    }
    if (!s.accepted) {
        EXPECT_EQ(onDisk(), before) << "nothing saved";
    }
    EXPECT_TRUE(store->errors.empty());
}

const TConfigValue kOn = TConfigValue::boolean(true), kOff = TConfigValue::boolean(false);
TConfigValue mode(int32_t n) { return TConfigValue::integer(n); }
TConfigValue text(const char* t) { return TConfigValue::str(t); }

INSTANTIATE_TEST_SUITE_P(Sessions, WindowSettingsSession, ::testing::Values(
    // Enabling and disabling: a click on a disabled item changes nothing.
    Session{"ticking_position_enables_animation", {}, both(click(5, 19), both(click(32, 19), kOk)), "", kNothing,
            {{"SKSPositionW", kOn}, {"SKSWindowAnimation", kOn}}, true},
    Session{"unticking_position_disables_animation_keeping_its_value", {{"SKSPositionW", kOn}},
            both(click(5, 19), both(click(32, 19), kOk)), "", kNothing,
            {{"SKSPositionW", kOff}, {"SKSWindowAnimation", kOff}}, true},
    Session{"the_custom_size_enables_its_fields", {}, both(click(38, 6), both(retype(13, 7, "12"), kOk)), "", kNothing,
            {{"SKSWindowMode", mode(2)}, {"SKSWindowHeight", text("12")}}, true},
    Session{"another_size_disables_them", {{"SKSWindowMode", mode(2)}},
            both(click(18, 6), both(retype(13, 7, "12"), kOk)), "", kNothing,
            {{"SKSWindowMode", mode(0)}, {"SKSWindowHeight", text("23")}}, true},
    Session{"user_groups_enable_their_editor", {}, both(click(5, 4), click(16, 4)), "press Ins to add one",
            [](auto& e) { e.key(KEY_ESC).key(KEY_ESC); }, {{"SKSGroupMode", mode(0)}}, false},
    Session{"full_information_enables_the_column_editor", {}, both(click(5, 13), click(20, 13)), "Codes: N name",
            [](auto& e) { e.key(KEY_ESC).key(KEY_ESC); }, {{"SKSFullInfo", kOff}}, false},
    // The custom size check.
    Session{"a_height_of_7_is_refused_and_the_focus_is_on_it", {{"SKSWindowMode", mode(2)}},
            both(retype(13, 7, "7"), kOk), "from 8 to 25", [](auto& e) { e.key(KEY_ENTER).type("9").key(KEY_ENTER); },
            {{"SKSWindowHeight", text("9")}}, true},
    Session{"a_width_equal_to_the_console_is_taken", {{"SKSWindowMode", mode(2)}, {"SKSWindowWidth", text("80")}}, kOk,
            "", kNothing, {{"SKSWindowWidth", text("80")}}, true},
    Session{"one_more_is_refused", {{"SKSWindowMode", mode(2)}}, both(retype(33, 7, "81"), kOk), "from 30 to 80",
            [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); }, {{"SKSWindowWidth", text("50")}}, false},
    Session{"letters_in_the_width_are_refused", {{"SKSWindowMode", mode(2)}}, both(retype(33, 7, "4x"), kOk),
            "a whole number", [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); }, {{"SKSWindowWidth", text("50")}}, false},
    Session{"the_check_is_skipped_without_the_custom_size", {{"SKSWindowHeight", text("7")}},
            both(click(5, 16), kOk), "", kNothing, {{"SKSWindowHeight", text("7")}, {"SKSHideButtons", kOn}}, true},
    // The side buttons and cancel.
    // The About box first says that the temporary home has no index (one key), then shows.
    Session{"about_then_cancel_saves_nothing", {},
            both(click(5, 16), both(click(25, 21), [](auto& e) { e.key(KEY_ENTER); })), "Environment",
            [](auto& e) { e.key(KEY_ENTER).click(kLeft + 13, 21); }, {{"SKSHideButtons", kOff}}, false},
    Session{"the_column_editor_never_saves_an_unchecked_size", {{"SKSFullInfo", kOn}, {"SKSWindowMode", mode(2)}},
            both(retype(13, 7, "3"), click(20, 13)), "Codes: N name", [](auto& e) { e.key(KEY_ENTER).key(KEY_ESC); },
            {{"SKSWindowHeight", text("23")}}, false}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace skimmer::settings
