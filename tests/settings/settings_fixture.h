// The settings dialogs headless: the host's own dialog engine, menus and messages draw into a cell
// buffer and take scripted keys; language strings come from the scriptable test host; the
// settings live where the system keeps them (tests/settings/settings_disk.h): on Linux the hive
// file behind a fault-injecting file system, so a test sees what reached the disk and can make
// the disk refuse; on Windows the registry.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/sort_groups.h"
#include "host/ui/far_services.h"
#include "settings/settings_env.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/settings/settings_disk.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::settings::test {

namespace fs = std::filesystem;

// The plug-in's settings and groups as one start of it reads them.
struct SettingsStore {
    SettingsStore(std::unique_ptr<platform::RegistryAccess> opened, const std::string& pluginsKey)
        : registry(std::move(opened)) {
        config.location_ = config::settingsLocation(registry.get(), pluginsKey);
        config.reportError_ = [this](const std::string& e) { errors.push_back(e); };
        config::configSetupCatalogue(config);
        config::loadSortGroups(groups, config.location_);
    }
    config::TConfigValue get(const char* name) const {
        config::TConfigValue value;
        EXPECT_TRUE(config::getConfigValue(config, name, value)) << name;
        return value;
    }
    std::unique_ptr<platform::RegistryAccess> registry;
    config::TRegistryConfig config;
    config::TSKSSortGroups groups;
    std::vector<std::string> errors;
};

struct FixedConsole : platform::Console {
    std::optional<platform::ConsoleSize> screenBufferSize() const override { return size; }
    std::optional<platform::ConsoleSize> size = platform::ConsoleSize{80, 25};
};

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() : faults(os::realFileSystem()), disk(home) {
        PluginStartupInfo info = host.startupInfo();
        info.DialogEx = host::ui::DialogEx;
        info.SendDlgMessage = host::ui::SendDlgMessage;
        info.DefDlgProc = host::ui::DefDlgProc;
        info.Menu = host::ui::Menu;
        info.Message = host::ui::Message;
        tables.copyFrom(info);
        reopen();
    }
    // A new start of the plug-in over the same store.
    void reopen() {
        store = std::make_unique<SettingsStore>(disk.open(faults), disk.pluginsKey());
        env.host = &tables;
        env.config = &store->config;
        env.groups = &store->groups;
        env.registry = store->registry.get();
        env.console = &console;
    }
    // Everything kept; equal texts mean nothing was written in between.
    std::string onDisk() const { return disk.saved(); }
    // Whether `faults` reaches the store (see SettingsDisk::writesThroughFileSystem); a test that
    // makes the disk refuse skips where it does not.
    bool faultsReachTheStore() const { return disk.writesThroughFileSystem(); }
    // What a fresh start of the plug-in would read.
    SettingsStore fresh() const { return SettingsStore(disk.open(os::realFileSystem()), disk.pluginsKey()); }
    std::string screen() {
        std::string all;
        for (int y = 0; y < 25; ++y) all += ui.row(y) + "\n";
        return all;
    }
    bool shows(const std::string& text) { return screen().find(text) != std::string::npos; }
    // Looks at the screen at this point of the script.
    void expectShown(const std::string& text) {
        ui.events.then([this, text] { EXPECT_TRUE(shows(text)) << "missing: " << text << "\n" << screen(); });
    }

    host::ui::test::UiHarness ui;
    skimmer::test::TestHost host;
    skimmer::test::TempHome home;
    skimmer::test::FaultFileSystem faults;
    SettingsDisk disk;
    platform::HostTables tables;
    FixedConsole console;
    std::unique_ptr<SettingsStore> store;
    SettingsEnv env;
};

}  // namespace skimmer::settings::test
