// "SKPConfig", the panel settings dialog, headless in the host's dialog engine over the settings
// store: its item table, the drive-menu number accepted, refused or left, and what reaches the
// settings and the disk for each way of leaving it.
#include <gtest/gtest.h>

#include <cerrno>

#include "dialogs/registered_dialog.h"
#include "settings/panel_settings.h"
#include "settings/settings_dialogs.h"
#include "tests/settings/engine_about_fixture.h"

namespace skimmer::settings {
namespace {

using config::TConfigValue;
using skimmer::test::FsOp;

class PanelDialog : public test::EngineAboutTest {
protected:
    PanelDialog() {
        // The About box asks this engine environment: no index.
        engineEnv.Config = &store->config;
        engineEnv.IndexFile = home.root() / "absent.sqlite";
        engineEnv.ShowErrorText = [](const std::string&) {};
        env.engineEnvironment = [this] { return engineEnv; };
        saveNow();
    }
    engines::TEngineEnvironment engineEnv;
};

TEST_F(PanelDialog, ItemsStandWhereTheTableSaysWithOnlyTheNumberEditable) {
    for (const int32_t mode : {0, 1}) {
        set("SKPGroupMode", TConfigValue::integer(mode));
        set("SKPUseCL", TConfigValue::boolean(true));
        set("SKPShowLnk", TConfigValue::boolean(false));
        TPanelButtons buttons;
        dialogs::TRegisteredDialog dialog;
        std::string error;
        ASSERT_TRUE(dialogs::RegisterDialog(dialog, store->config, PanelSettingsDescription(tables, store->config, buttons),
                                            error));
        EXPECT_EQ(dialog.Items[0].X2, 59);
        EXPECT_EQ(dialog.Items[0].Y2, 17);
        const DWORD off = DIF_DISABLE;
        const int customX = static_cast<int>(msg(105).size()) + 9;
        // The "Edit groups" button ("[ " text " ]", its hot-key mark not drawn) ends before the
        // options of the second column.
        const std::string edit = msg(8);
        EXPECT_LE(customX + static_cast<int>(edit.size()) - static_cast<int>(edit.find('&') != std::string::npos) + 4, 32)
            << edit;
        const std::vector<test::ItemRow> expected = {
            {DI_DOUBLEBOX, 3, 1, 0, "Skimmer" + msg(38) + msg(40), 0},
            {DI_TEXT, 5, 2, 0, msg(103), 0},
            {DI_RADIOBUTTON, 5, 3, off | DIF_GROUP, msg(104), mode == 0},
            {DI_RADIOBUTTON, 5, 4, off, msg(105), mode == 1},
            {DI_RADIOBUTTON, 32, 3, off, msg(106), 0},
            {DI_RADIOBUTTON, 32, 4, off, msg(107), 0},
            {DI_BUTTON, customX, 4, mode == 1 ? 0 : off, msg(8), 0},
            {DI_TEXT, 0, 5, DIF_BOXCOLOR | DIF_SEPARATOR, "", 0},
            {DI_TEXT, 0, 8, DIF_BOXCOLOR | DIF_SEPARATOR, "", 0},
            {DI_EDIT, 5, 6, 0, "0", 0},
            {DI_TEXT, 8, 6, 0, msg(109), 0},
            {DI_TEXT, 8, 7, 0, msg(110), 0},
            {DI_CHECKBOX, 5, 9, off, msg(111), 1},
            {DI_CHECKBOX, 32, 9, off, msg(112), 1},
            {DI_CHECKBOX, 5, 10, off, msg(113), 0},
            {DI_CHECKBOX, 32, 10, off, msg(114), 0},
            {DI_CHECKBOX, 32, 11, off, msg(115), 0},
            {DI_CHECKBOX, 5, 11, off, msg(116), 1},
            {DI_CHECKBOX, 32, 12, off, msg(117), 1},
            {DI_TEXT, 0, 13, DIF_BOXCOLOR | DIF_SEPARATOR, "", 0},
            {DI_BUTTON, 5, 14, 0, msg(34), 0},
            {DI_BUTTON, 13, 14, 0, msg(35), 0},
            {DI_BUTTON, 25, 14, 0, msg(36), 0},
        };
        EXPECT_EQ(test::itemRows(dialog), expected) << "mode " << mode;
        EXPECT_EQ(dialog.Items[10].X2, 6) << "the number's field is 2 wide";
        EXPECT_EQ((std::vector<int32_t>{buttons.custom, buttons.ok, buttons.cancel, buttons.about}),
                  (std::vector<int32_t>{6, 20, 21, 22}));
    }
}

struct NumberCase {
    std::string what;
    std::string typed;
    bool accepted;
    std::string stored;  // when accepted
};

class PanelNumber : public PanelDialog, public ::testing::WithParamInterface<NumberCase> {};

// The number field has the focus when the dialog opens (everything before it is greyed out).
TEST_P(PanelNumber, OnlyNothingOrOneDigitIsAcceptedAndARefusalSavesNothing) {
    const std::string before = onDisk();
    ui.events.key(KEY_CTRLY).type(GetParam().typed).key(KEY_ALT | 'O');
    if (!GetParam().accepted) {
        // The refusal names the field and the range; after it the dialog is back, and is left.
        expectShown(msg(56) + " \"" + msg(109) + "\"");
        expectShown(msg(58) + " 0 " + msg(59) + " 9");
        ui.events.key(KEY_ENTER);
        ui.events.then([&] { EXPECT_TRUE(shows(msg(109))) << screen(); });
        ui.events.key(KEY_ESC);
    }
    EXPECT_EQ(RunPanelSettings(env), GetParam().accepted);
    const TConfigValue expected = TConfigValue::str(GetParam().accepted ? GetParam().stored : "0");
    EXPECT_EQ(store->get("SKPLetter"), expected);
    EXPECT_EQ(stored("SKPLetter"), expected);
    // A save is one atomic replacement, and one that changes nothing ("0" again) writes nothing.
    if (faultsReachTheStore()) {
        EXPECT_EQ(faults.count(FsOp::Rename), GetParam().accepted && GetParam().stored != "0" ? 1u : 0u);
    }
    if (!GetParam().accepted) {
        EXPECT_EQ(onDisk(), before) << "not a byte changes";
    }
    EXPECT_TRUE(store->errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Numbers, PanelNumber, ::testing::Values(
    NumberCase{"Seven", "7", true, "7"},
    NumberCase{"Zero", "0", true, "0"},
    NumberCase{"Nine", "9", true, "9"},
    NumberCase{"EmptyGivesNoNumber", "", true, ""},
    NumberCase{"BlanksOnly", "  ", true, ""},
    NumberCase{"BlanksAroundAreDropped", " 3", true, "3"},
    NumberCase{"Ten", "10", false, ""},
    NumberCase{"Huge", "100000", false, ""},
    NumberCase{"Negative", "-1", false, ""},
    NumberCase{"Letters", "x", false, ""},
    NumberCase{"DigitThenLetter", "4x", false, ""}),
    [](const auto& info) { return info.param.what; });

struct LeaveCase {
    std::string what;
    std::vector<int> closing;  // after typing 5 into the number field
    bool accepted;
};

class PanelLeave : public PanelDialog, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(PanelLeave, TheNumberReachesTheSettingsAndTheDiskOnlyWhenAccepted) {
    const std::string before = onDisk();
    ui.events.key(KEY_CTRLY).type("5");
    for (int key : GetParam().closing) ui.events.key(key);
    EXPECT_EQ(RunPanelSettings(env), GetParam().accepted);
    const TConfigValue expected = TConfigValue::str(GetParam().accepted ? "5" : "0");
    EXPECT_EQ(store->get("SKPLetter"), expected);
    EXPECT_EQ(stored("SKPLetter"), expected);
    if (!GetParam().accepted) {
        EXPECT_EQ(onDisk(), before) << "not a byte changes";
    }
}

INSTANTIATE_TEST_SUITE_P(Closing, PanelLeave, ::testing::Values(
    LeaveCase{"Escape", {KEY_ESC}, false},
    LeaveCase{"AboutThenCancel", {KEY_ALT | 'B', KEY_ENTER, KEY_ALT | 'C'}, false},
    LeaveCase{"AboutThenOk", {KEY_ALT | 'B', KEY_ENTER, KEY_ALT | 'O'}, true}),
    [](const auto& info) { return info.param.what; });

TEST_F(PanelDialog, AboutReturnsToTheDialogWithTheTextTypedSoFar) {
    ui.events.key(KEY_CTRLY).type("4").key(KEY_ALT | 'B');
    expectShown("Skimmer v1.07-SR1 BETA");
    ui.events.key(KEY_ENTER);
    ui.events.then([&] {
        // The field stands left of its label, on the label's row.
        int y = 0;
        while (y < 25 && ui.row(y).find(msg(109)) == std::string::npos) ++y;
        ASSERT_LT(y, 25) << screen();
        const std::string line = ui.row(y);
        const std::string field = line.substr(0, line.find(msg(109)));
        EXPECT_NE(field.find("4"), std::string::npos) << line;
    });
    ui.events.key(KEY_ESC);
    EXPECT_FALSE(RunPanelSettings(env));
}

TEST_F(PanelDialog, ADiskThatRefusesTheSaveIsReportedOnceAndTheNumberStaysInMemory) {
    if (!faultsReachTheStore()) GTEST_SKIP() << "the registry writes without the file system faults are injected into";
    const std::string before = onDisk();
    faults.failCall(1, ENOSPC, false, FsOp::Write);
    ui.events.key(KEY_CTRLY).type("8").key(KEY_ALT | 'O');
    EXPECT_TRUE(RunPanelSettings(env));
    ASSERT_EQ(store->errors.size(), 1u);
    EXPECT_EQ(store->get("SKPLetter"), TConfigValue::str("8"));
    EXPECT_EQ(onDisk(), before);
}

}  // namespace
}  // namespace skimmer::settings
