// What the settings dialogs' tests share: the plug-in's whole settings catalogue on a real hive
// file behind a fault-injecting file system, the language file served by the scriptable host,
// and the host's own dialog engine running headless (keys in, cells out) in place of the scripted
// DialogEx. Error boxes go to the scripted host, which records them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "settings/settings_env.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::settings::test {

inline std::string slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The settings of one start of the plug-in over the hive file.
struct SettingsStore {
    SettingsStore(const std::filesystem::path& file, os::FileSystem* files) {
        hive = std::make_unique<os::Hive>(file, files, [](const std::string&) {});
        registry = std::make_unique<platform::HiveRegistry>(*hive);
        config::configSetupCatalogue(table);
        table.location_ = config::settingsLocation(registry.get(), "Software\\Far\\Plugins");
        table.reportError_ = [this](const std::string& e) { errors.push_back(e); };
        config::configLoadValues(table);
    }
    config::TConfigValue get(const std::string& name) const {
        config::TConfigValue value;
        EXPECT_TRUE(config::getConfigValue(table, name, value)) << name;
        return value;
    }
    void set(const std::string& name, const config::TConfigValue& value) {
        EXPECT_TRUE(config::setConfigValue(table, name, value)) << name;
    }
    std::unique_ptr<os::Hive> hive;
    std::unique_ptr<platform::HiveRegistry> registry;
    config::TRegistryConfig table;
    std::vector<std::string> errors;
};

class SettingsDialogFixture : public ::testing::Test {
protected:
    SettingsDialogFixture() : faults(os::realFileSystem()) {
        std::filesystem::create_directories(file().parent_path());
        store = std::make_unique<SettingsStore>(file(), &faults);
        PluginStartupInfo info = host.startupInfo();
        info.DialogEx = skimmer::host::ui::DialogEx;
        info.SendDlgMessage = skimmer::host::ui::SendDlgMessage;
        info.DefDlgProc = skimmer::host::ui::DefDlgProc;
        tables.copyFrom(info);
        env.host = &tables;
        env.config = &store->table;
        env.registry = store->registry.get();
        env.FarVersion = host.farVersion;
    }
    std::filesystem::path file() const { return home.config() / "skimmer" / "registry.reg"; }
    // Writes the settings as they are now, so that the file exists to be compared with.
    void saveNow() {
        config::configSaveValues(store->table);
        faults.resetCounts();
    }
    // What a fresh start of the plug-in would read from the disk.
    config::TConfigValue onDisk(const std::string& name) {
        SettingsStore again(file(), &os::realFileSystem());
        return again.get(name);
    }
    std::string msg(int number) const { return host.messages().at(static_cast<size_t>(number)); }

    skimmer::test::TempHome home;
    skimmer::test::FaultFileSystem faults;
    std::unique_ptr<SettingsStore> store;
    skimmer::test::TestHost host;
    skimmer::host::ui::test::UiHarness ui;
    platform::HostTables tables;
    SettingsEnv env;
};

}  // namespace skimmer::settings::test
