// The settings dialogs headless: the host's own dialog engine, menus and messages draw into a cell
// buffer and take scripted keys; language strings come from the scriptable test host; the
// settings live in a real hive file behind a fault-injecting file system, so a test sees what
// reached the disk and can make the disk refuse.
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
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "settings/settings_env.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::settings::test {

namespace fs = std::filesystem;

// The plug-in's settings and groups as one start of it reads them from the hive file.
struct SettingsStore {
    SettingsStore(const fs::path& file, os::FileSystem* files) {
        hive = std::make_unique<os::Hive>(file, files, [](const std::string&) {});
        registry = std::make_unique<platform::HiveRegistry>(*hive);
        config.location_ = config::settingsLocation(registry.get(), "Software\\Far\\Plugins");
        config.reportError_ = [this](const std::string& e) { errors.push_back(e); };
        config::configSetupCatalogue(config);
        config::loadSortGroups(groups, config.location_);
    }
    config::TConfigValue get(const char* name) const {
        config::TConfigValue value;
        EXPECT_TRUE(config::getConfigValue(config, name, value)) << name;
        return value;
    }
    std::unique_ptr<os::Hive> hive;
    std::unique_ptr<platform::HiveRegistry> registry;
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
    SettingsDialogTest() : faults(os::realFileSystem()) {
        fs::create_directories(file().parent_path());
        PluginStartupInfo info = host.startupInfo();
        info.DialogEx = host::ui::DialogEx;
        info.SendDlgMessage = host::ui::SendDlgMessage;
        info.DefDlgProc = host::ui::DefDlgProc;
        info.Menu = host::ui::Menu;
        info.Message = host::ui::Message;
        tables.copyFrom(info);
        reopen();
    }
    // A new start of the plug-in over the same file.
    void reopen() {
        store = std::make_unique<SettingsStore>(file(), &faults);
        env.host = &tables;
        env.config = &store->config;
        env.groups = &store->groups;
        env.registry = store->registry.get();
        env.console = &console;
    }
    fs::path file() const { return home.config() / "skimmer" / "registry.reg"; }
    std::string onDisk() const {
        std::ifstream in(file(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // What a fresh start of the plug-in would read.
    SettingsStore fresh() const { return SettingsStore(file(), &os::realFileSystem()); }
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
    platform::HostTables tables;
    FixedConsole console;
    std::unique_ptr<SettingsStore> store;
    SettingsEnv env;
};

}  // namespace skimmer::settings::test
