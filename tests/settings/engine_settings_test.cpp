// The engine settings dialog, headless in the host's dialog engine over the settings store: its
// item table, the locate folder greyed out and back as the engine choice changes, and what
// reaches the settings and the disk for each way of leaving it.
#include <gtest/gtest.h>

#include "dialogs/registered_dialog.h"
#include "far/default_palette.h"
#include "settings/engine_settings.h"
#include "settings/settings_dialogs.h"
#include "tests/settings/engine_about_fixture.h"

namespace skimmer::settings {
namespace {

using config::TConfigValue;
using skimmer::test::FsOp;

class EngineDialog : public test::EngineAboutTest {
protected:
    EngineDialog() {
        // The About box asks this engine environment: no index, no locate.
        engineEnv.Config = &store->config;
        engineEnv.IndexFile = home.root() / "absent.sqlite";
        engineEnv.ShowErrorText = [this](const std::string& text) { engineErrors.push_back(text); };
        env.engineEnvironment = [this] { return engineEnv; };
    }
    void choose(int32_t engine, const std::string& path = "/usr/bin") {
        set("ESKSSearchEngine", TConfigValue::integer(engine));
        set("ESKSLocate32Path", TConfigValue::str(path));
        saveNow();
    }
    std::vector<TConfigValue> inMemory() const { return {store->get("ESKSSearchEngine"), store->get("ESKSLocate32Path")}; }
    std::vector<TConfigValue> storedPair() const { return {stored("ESKSSearchEngine"), stored("ESKSLocate32Path")}; }

    // The dialog is 59 x 10 on the 80 x 25 screen; its row r is the screen's row 7 + r. Whether the
    // folder's label and field are drawn greyed out, and the field's text.
    bool labelGreyed() {
        const int x = ui.find(12, msg(164));
        return x >= 0 && ui.attr(x, 12) == farapi::kFarDefaultPalette[COL_DIALOGDISABLED];
    }
    bool fieldGreyed() {
        const int x = ui.find(12, msg(164)) + static_cast<int>(msg(164).size());
        return ui.attr(x, 12) == farapi::kFarDefaultPalette[COL_DIALOGEDITDISABLED];
    }

    engines::TEngineEnvironment engineEnv;
    std::vector<std::string> engineErrors;
};

TEST_F(EngineDialog, ItemsStandWhereTheTableSaysWithTheFolderDisabledForTheIndexEngine) {
    for (const int32_t engine : {0, 1, 2}) {
        choose(engine);
        TEngineButtons buttons;
        dialogs::TRegisteredDialog dialog;
        std::string error;
        ASSERT_TRUE(dialogs::RegisterDialog(dialog, store->config,
                                            EngineSettingsDescription(tables, store->config, buttons), error));
        EXPECT_EQ(dialog.Items[0].X2, 59);
        EXPECT_EQ(dialog.Items[0].Y2, 10);
        const DWORD off = engine == 0 ? DIF_DISABLE : 0;
        const int pathX = 5 + static_cast<int>(msg(164).size());
        const std::vector<test::ItemRow> expected = {
            {DI_DOUBLEBOX, 3, 1, 0, "Skimmer"},
            {DI_TEXT, 5, 2, 0, msg(163)},
            {DI_RADIOBUTTON, 5, 3, DIF_GROUP, "&WDS", engine == 0},
            {DI_RADIOBUTTON, 5, 4, 0, "&Locate32", engine == 1},
            {DI_TEXT, 5, 5, off, msg(164)},
            {DI_EDIT, pathX, 5, off, "/usr/bin"},
            {DI_TEXT, 0, 6, DIF_BOXCOLOR | DIF_SEPARATOR, ""},
            {DI_BUTTON, 5, 7, 0, msg(34)},
            {DI_BUTTON, 13, 7, 0, msg(35)},
            {DI_BUTTON, 25, 7, 0, msg(36)},
        };
        EXPECT_EQ(test::itemRows(dialog), expected) << "engine " << engine;
        EXPECT_EQ(dialog.Items[6].X2, pathX + 31) << "the folder's field is 32 wide";
        EXPECT_EQ((std::vector<int32_t>{buttons.ok, buttons.cancel, buttons.about}), (std::vector<int32_t>{7, 8, 9}));
    }
}

struct EnableCase {
    std::string what;
    int32_t engine;
    std::vector<int> keys;
    bool greyedAtOpen;
    bool greyedAfter;
};

class EngineEnable : public EngineDialog, public ::testing::WithParamInterface<EnableCase> {};

TEST_P(EngineEnable, TheFolderIsGreyedOutExactlyWhileTheIndexEngineIsChosen) {
    choose(GetParam().engine);
    std::vector<bool> seen;
    ui.events.then([&] { seen = {labelGreyed(), fieldGreyed()}; });
    for (int key : GetParam().keys) ui.events.key(key);
    ui.events.then([&] {
        seen.push_back(labelGreyed());
        seen.push_back(fieldGreyed());
    });
    ui.events.key(KEY_ESC);
    EXPECT_FALSE(RunEngineSettings(env));
    const bool a = GetParam().greyedAtOpen, b = GetParam().greyedAfter;
    EXPECT_EQ(seen, (std::vector<bool>{a, a, b, b}));
}

INSTANTIATE_TEST_SUITE_P(Choices, EngineEnable, ::testing::Values(
    EnableCase{"IndexStaysGreyed", 0, {}, true, true},
    EnableCase{"LocateStaysEnabled", 1, {}, false, false},
    EnableCase{"SwitchToLocateEnables", 0, {KEY_ALT | 'L'}, true, false},
    EnableCase{"SwitchToIndexGreys", 1, {KEY_ALT | 'W'}, false, true},
    EnableCase{"ThereAndBack", 0, {KEY_ALT | 'L', KEY_ALT | 'W'}, true, true},
    EnableCase{"OtherValueCountsAsLocate", 2, {}, false, false}),
    [](const auto& info) { return info.param.what; });

struct LeaveCase {
    std::string what;
    std::vector<int> closing;  // after choosing locate and typing a folder
    bool accepted;
};

class EngineLeave : public EngineDialog, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(EngineLeave, ValuesReachTheSettingsAndTheDiskOnlyWhenAccepted) {
    choose(0);
    const std::string before = onDisk();
    ui.events.key(KEY_ALT | 'L').key(KEY_TAB).type("/opt/locate bin");
    for (int key : GetParam().closing) ui.events.key(key);
    EXPECT_EQ(RunEngineSettings(env), GetParam().accepted);

    const std::vector<TConfigValue> edited = {TConfigValue::integer(1), TConfigValue::str("/opt/locate bin")};
    const std::vector<TConfigValue> original = {TConfigValue::integer(0), TConfigValue::str("/usr/bin")};
    EXPECT_EQ(inMemory(), GetParam().accepted ? edited : original);
    EXPECT_EQ(storedPair(), GetParam().accepted ? edited : original);
    if (faultsReachTheStore()) {
        EXPECT_EQ(faults.count(FsOp::Rename), GetParam().accepted ? 1u : 0u) << "a save is one atomic replacement";
    }
    if (!GetParam().accepted) {
        EXPECT_EQ(onDisk(), before) << "not a byte changes";
    }
    EXPECT_EQ(engineErrors.size(), 0u) << "the About box asked the locate engine the user chose";
    EXPECT_TRUE(store->errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Closing, EngineLeave, ::testing::Values(
    LeaveCase{"Ok", {KEY_ALT | 'O'}, true},
    LeaveCase{"EnterInTheField", {KEY_ENTER}, true},
    LeaveCase{"Cancel", {KEY_ALT | 'C'}, false},
    LeaveCase{"Escape", {KEY_ESC}, false},
    LeaveCase{"AboutThenCancel", {KEY_ALT | 'B', KEY_ENTER, KEY_ALT | 'C'}, false},
    LeaveCase{"AboutThenOk", {KEY_ALT | 'B', KEY_ENTER, KEY_ALT | 'O'}, true}),
    [](const auto& info) { return info.param.what; });

TEST_F(EngineDialog, AnEmptyFolderIsStoredAsTyped) {
    choose(1);
    ui.events.key(KEY_ALT | 'L').key(KEY_TAB).key(KEY_DEL).key(KEY_ALT | 'O');
    EXPECT_TRUE(RunEngineSettings(env));
    EXPECT_EQ(stored("ESKSLocate32Path"), TConfigValue::str(""));
}

// Another process (its own registry over the same store) saves after this one read its settings: the
// dialog shows what the file holds now, and accepting it unchanged keeps the other's value.
TEST_F(EngineDialog, OpensWithWhatAnotherProcessSavedAndAcceptingKeepsIt) {
    choose(1);
    test::SettingsStore other = fresh();
    config::setConfigValue(other.config, "ESKSLocate32Path", TConfigValue::str("/opt/other"));
    config::configSaveValues(other.config);
    expectShown("/opt/other");
    ui.events.key(KEY_ALT | 'O');
    EXPECT_TRUE(RunEngineSettings(env));
    EXPECT_EQ(stored("ESKSLocate32Path"), TConfigValue::str("/opt/other"));
    EXPECT_EQ(stored("ESKSSearchEngine"), TConfigValue::integer(1));
}

}  // namespace
}  // namespace skimmer::settings
