// Registered dialogs shown by the host's dialog engine, headless, over settings kept in a real
// hive file behind a fault-injecting file system: what the user does reaches the settings only on
// acceptance, and the disk only when saving was asked for; a refused save keeps the values.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "dialogs/registered_dialog.h"
#include "os/file_system.h"
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::dialogs {
namespace {

namespace fs = std::filesystem;
using config::TConfigValue;
using test::FsOp;

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void addSettings(config::TRegistryConfig& table) {
    config::configAddValue(table, "SText", config::cvkString, true, TConfigValue::str("hello"));
    config::configAddValue(table, "SFlag", config::cvkBoolean, true, TConfigValue::boolean(false));
    config::configAddValue(table, "SMode", config::cvkInteger, true, TConfigValue::integer(2));
}

// FAR indexes of the dialog below.
enum : int { kFlag, kText, kAlpha, kBeta, kGamma, kOk, kCancel };

TDialogDescription testDialog(int32_t& ok, int32_t& cancel) {
    TDialogDescription table(40, 12);
    table.checkBox(5, 2, 0, "&Flag", "SFlag").edit(5, 3, 20, 0, "SText");
    table.radioGroup("SMode", {{5, 5, 0, "&Alpha"}, {5, 6, 0, "&Beta"}, {5, 7, 0, "&Gamma"}});
    table.button(5, 9, 0, "&OK", "BOK", &ok).button(15, 9, 0, "&Cancel", "BCancel", &cancel);
    return table;
}

// The settings of one plug-in start over the hive file in a temporary home.
struct Store {
    Store(const fs::path& file, os::FileSystem* files) {
        hive = std::make_unique<os::Hive>(file, files, [](const std::string&) {});
        registry = std::make_unique<platform::HiveRegistry>(*hive);
        table.location_ = config::settingsLocation(registry.get(), "Software\\Far\\Plugins");
        table.reportError_ = [this](const std::string& e) { errors.push_back(e); };
        addSettings(table);
        config::configLoadValues(table);
    }
    TConfigValue get(const char* name) {
        TConfigValue value;
        EXPECT_TRUE(config::getConfigValue(table, name, value));
        return value;
    }
    std::unique_ptr<os::Hive> hive;
    std::unique_ptr<platform::HiveRegistry> registry;
    config::TRegistryConfig table;
    std::vector<std::string> errors;
};

class HeadlessRun : public ::testing::Test {
protected:
    HeadlessRun() : faults(os::realFileSystem()) {
        fs::create_directories(file().parent_path());
        store = std::make_unique<Store>(file(), &faults);
        config::configSaveValues(store->table);  // a file to compare with
        PluginStartupInfo info{};
        info.StructSize = sizeof info;
        info.ModuleNumber = 3;
        info.DialogEx = host::ui::DialogEx;
        info.SendDlgMessage = host::ui::SendDlgMessage;
        info.DefDlgProc = host::ui::DefDlgProc;
        info.FSF = &fsf;
        tables.copyFrom(info);
        std::string error;
        EXPECT_TRUE(RegisterDialog(dialog, store->table, testDialog(ok, cancel), error)) << error;
        faults.resetCounts();
    }
    fs::path file() const { return home.config() / "skimmer" / "registry.reg"; }
    int run(bool save) { return RunRegisteredDialog(tables, dialog, save, cancel, 0, "Topic", nullptr); }
    // The user ticks the box, replaces the text and picks the first option.
    void edit() { ui.events.key(KEY_SPACE).key(KEY_TAB).type("new text").key(KEY_ALT | 'A'); }
    // What a fresh start of the plug-in would read from the disk.
    std::vector<TConfigValue> onDisk() {
        Store again(file(), &os::realFileSystem());
        return {again.get("SText"), again.get("SFlag"), again.get("SMode")};
    }

    test::TempHome home;
    test::FaultFileSystem faults;
    std::unique_ptr<Store> store;
    host::ui::test::UiHarness ui;
    FarStandardFunctions fsf{};
    platform::HostTables tables;
    TRegisteredDialog dialog;
    int32_t ok = -1, cancel = -1;
};

const std::vector<TConfigValue> kStored = {TConfigValue::str("hello"), TConfigValue::boolean(false),
                                           TConfigValue::integer(2)};
const std::vector<TConfigValue> kEdited = {TConfigValue::str("new text"), TConfigValue::boolean(true),
                                           TConfigValue::integer(0)};

struct RunCase {
    std::string what;
    int closeKey;
    bool save;
    int result;
    bool inMemory;  // the edits reached the settings
    bool onDisk;    // ... and the hive file
};

class RunTest : public HeadlessRun, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunTest, EditsReachTheSettingsOnlyOnAcceptanceAndTheDiskOnlyWhenSaved) {
    ASSERT_EQ(ok, kOk);
    ASSERT_EQ(cancel, kCancel);
    const std::string before = slurp(file());
    edit();
    ui.events.key(GetParam().closeKey);
    EXPECT_EQ(run(GetParam().save), GetParam().result);

    std::vector<TConfigValue> memory = {store->get("SText"), store->get("SFlag"), store->get("SMode")};
    EXPECT_EQ(memory, GetParam().inMemory ? kEdited : kStored);
    EXPECT_EQ(onDisk(), GetParam().onDisk ? kEdited : kStored);
    EXPECT_EQ(faults.count(FsOp::Rename), GetParam().onDisk ? 1u : 0u) << "a save is one atomic replacement";
    if (!GetParam().onDisk) {
        EXPECT_EQ(slurp(file()), before) << "not a byte changes";
    }
    EXPECT_TRUE(store->errors.empty());
    EXPECT_EQ(std::string(dialog.Items[1 + kText].Data), "new text") << "the items keep what the user left";
}

INSTANTIATE_TEST_SUITE_P(Closing, RunTest, ::testing::Values(
    RunCase{"OK_saved", KEY_ALT | 'O', true, kOk, true, true},
    RunCase{"OK_not_saved", KEY_ALT | 'O', false, kOk, true, false},
    RunCase{"Escape", KEY_ESC, true, -1, false, false},
    RunCase{"Cancel", KEY_ALT | 'C', true, kCancel, false, false}),
    [](const auto& info) { return info.param.what; });

TEST_F(HeadlessRun, TheItemsShowTheSettingsWhenTheDialogOpens) {
    ui.events.then([&] {
        // 40x12 centred on 80x25: the dialog's row 0 is the screen's row 6.
        EXPECT_EQ(ui.find(8, "[ ] Flag"), 20 + 5) << ui.row(8);
        EXPECT_EQ(ui.find(9, "hello"), 20 + 5) << ui.row(9);
        EXPECT_EQ(ui.find(13, "(\u2022) Gamma"), 20 + 5) << ui.row(13);
    });
    ui.events.key(KEY_ESC);
    EXPECT_EQ(run(true), -1);
}

TEST_F(HeadlessRun, ADiskThatRefusesTheSaveIsReportedOnceAndTheValuesStayInMemory) {
    const std::string before = slurp(file());
    faults.failCall(1, ENOSPC, false, FsOp::Write);
    edit();
    ui.events.key(KEY_ALT | 'O');
    EXPECT_EQ(run(true), kOk);

    ASSERT_EQ(store->errors.size(), 1u);
    EXPECT_NE(store->errors[0].find("not saved"), std::string::npos) << store->errors[0];
    EXPECT_EQ((std::vector<TConfigValue>{store->get("SText"), store->get("SFlag"), store->get("SMode")}), kEdited);
    EXPECT_EQ(slurp(file()), before);

    // The disk is back: the next accepted run saves what is in memory.
    ui.events.key(KEY_ALT | 'O');
    EXPECT_EQ(run(true), kOk);
    EXPECT_EQ(store->errors.size(), 1u);
    EXPECT_EQ(onDisk(), kEdited);
}

TEST_F(HeadlessRun, RunningAgainShowsWhatTheUserLastEnteredNotTheStoredSettings) {
    edit();
    ui.events.key(KEY_ESC);
    EXPECT_EQ(run(true), -1);
    EXPECT_EQ(store->get("SText"), TConfigValue::str("hello"));
    ui.events.then([&] {
        EXPECT_EQ(ui.find(9, "new text"), 20 + 5) << ui.row(9);
        EXPECT_EQ(ui.find(8, "[x] Flag"), 20 + 5) << ui.row(8);
    });
    ui.events.key(KEY_ALT | 'O');
    EXPECT_EQ(run(false), kOk);
    EXPECT_EQ((std::vector<TConfigValue>{store->get("SText"), store->get("SFlag"), store->get("SMode")}), kEdited);
}

// What the toolkit asks of the host: the call DialogEx receives, through the scriptable host.
TEST(RegisteredDialogHost, DialogExGetsTheHeaderSizeTheRealItemsAndTheTopic) {
    test::TestHost host;
    platform::HostTables tables;
    tables.copyFrom(host.startupInfo());
    config::TRegistryConfig table;
    addSettings(table);
    int32_t ok = -1, cancel = -1;
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, table, testDialog(ok, cancel), error)) << error;

    host.answerDialog(kOk);
    host.answerDialog(kCancel);
    EXPECT_EQ(RunRegisteredDialog(tables, dialog, false, cancel, 0, "SKSConfig", nullptr), kOk);
    EXPECT_EQ(RunRegisteredDialog(tables, dialog, false, cancel, 0, "SKSConfig", nullptr), kCancel);
    const auto calls = host.callsTo("DialogEx");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].args, (std::vector<long long>{host.moduleNumber, -1, -1, 40, 12, 7}));
    EXPECT_EQ(calls[0].texts, (std::vector<std::string>{"SKSConfig", "&Flag", "hello", "&Alpha", "&Beta", "&Gamma",
                                                         "&OK", "&Cancel"}));
}

}  // namespace
}  // namespace skimmer::dialogs
