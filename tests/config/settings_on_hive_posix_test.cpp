// The settings store on the real hive file: what a load and a save pass cost on disk, and what
// happens when the file is damaged or the disk refuses.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/catalogue.h"
#include "config/sort_groups.h"
#include "os/file_system.h"
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_home.h"

namespace skimmer::config {
namespace {

namespace fs = std::filesystem;
using test::FsOp;

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class SettingsOnHive : public ::testing::Test {
protected:
    SettingsOnHive() : faults(os::realFileSystem()) {
        fs::create_directories(file().parent_path());
        open();
    }
    fs::path file() const { return home.config() / "skimmer" / "registry.reg"; }
    // A fresh Hive and settings table over the file, as a new start of the plug-in would make.
    void open() {
        config = TRegistryConfig{};
        registry.reset();
        hive = std::make_unique<os::Hive>(file(), &faults, [this](const std::string& r) { reports.push_back(r); });
        registry = std::make_unique<platform::HiveRegistry>(*hive);
        config.location_ = settingsLocation(registry.get(), "Software\\Far\\Plugins");
        config.reportError_ = [this](const std::string& e) { errors.push_back(e); };
    }
    TConfigValue get(const char* name) {
        TConfigValue value;
        EXPECT_TRUE(getConfigValue(config, name, value));
        return value;
    }

    test::TempHome home;
    test::FaultFileSystem faults;
    std::unique_ptr<os::Hive> hive;
    std::unique_ptr<platform::HiveRegistry> registry;
    TRegistryConfig config;
    std::vector<std::string> reports, errors;
};

TEST_F(SettingsOnHive, LoadPassWritesNothingAndSavePassIsOneAtomicReplacement) {
    configSetupCatalogue(config);
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_EQ(faults.count(FsOp::Fsync), 0u);

    faults.resetCounts();
    configSaveValues(config);
    EXPECT_EQ(faults.count(FsOp::Fsync), 1u);          // the new file
    EXPECT_EQ(faults.count(FsOp::SyncDirectory), 1u);  // its folder, after the rename
    EXPECT_EQ(faults.count(FsOp::Rename), 1u);
    EXPECT_TRUE(errors.empty());

    setConfigValue(config, "SKSStyle", TConfigValue::integer(1));
    setConfigValue(config, "SKPLetter", TConfigValue::str("7"));
    configSaveValues(config);
    open();
    configSetupCatalogue(config);
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(1));
    EXPECT_EQ(get("SKPLetter"), TConfigValue::str("7"));  // survives a restart
}

TEST_F(SettingsOnHive, GarbledFileGivesDefaultsAndIsKeptAside) {
    const std::string garbage = "this is not a hive\n[[[\x01\x02\n";
    std::ofstream(file(), std::ios::binary) << garbage;
    configSetupCatalogue(config);
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(2));
    EXPECT_FALSE(reports.empty());  // the user is told where the file went

    bool keptAside = false;
    for (const auto& entry : fs::directory_iterator(file().parent_path())) {
        if (entry.path() != file() && slurp(entry.path()) == garbage) keptAside = true;
    }
    EXPECT_TRUE(keptAside);
    configSaveValues(config);  // a save after that starts a fresh file, the old bytes stay aside
    EXPECT_TRUE(errors.empty());
}

TEST_F(SettingsOnHive, TruncatedFileNeverCrashesNorLosesTheBytes) {
    configSetupCatalogue(config);
    setConfigValue(config, "SKSWindowWidth", TConfigValue::str("77"));
    configSaveValues(config);
    const std::string whole = slurp(file());
    for (size_t cut : {whole.size() / 3, whole.size() / 2, whole.size() - 3}) {
        std::ofstream(file(), std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
        reports.clear();
        open();
        configSetupCatalogue(config);
        const TConfigValue width = get("SKSWindowWidth");
        EXPECT_TRUE(width == TConfigValue::str("77") || width == TConfigValue::str("50")) << width.StrValue;
        if (width == TConfigValue::str("50")) {
            EXPECT_FALSE(reports.empty()) << "a file cut at " << cut;
        }
    }
}

TEST_F(SettingsOnHive, MistypedValuesKeepTheirDefaults) {
    {
        auto key = hive->createKey("Software\\Far\\Plugins\\Skimmer");
        ASSERT_TRUE(key);
        key->writeString("SKSStyle", "1");
        key->writeBinary("SKSFullInfo", "\x01");
        key->writeDword("SKSWindowWidth", 80);
        key->writeDword("SKSUseCL", 256);
    }
    open();
    configSetupCatalogue(config);
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(2));
    EXPECT_EQ(get("SKSFullInfo"), TConfigValue::boolean(false));
    EXPECT_EQ(get("SKSWindowWidth"), TConfigValue::str("50"));
    EXPECT_EQ(get("SKSUseCL"), TConfigValue::boolean(false));
}

TEST_F(SettingsOnHive, DiskFullDuringSaveIsReportedAndTheFileStaysAsItWas) {
    configSetupCatalogue(config);
    setConfigValue(config, "SKSStyle", TConfigValue::integer(1));
    configSaveValues(config);
    const std::string before = slurp(file());

    setConfigValue(config, "SKSStyle", TConfigValue::integer(0));
    faults.failCall(1, ENOSPC, false, FsOp::Write);
    configSaveValues(config);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("not saved"), std::string::npos);
    EXPECT_EQ(slurp(file()), before);
}

TEST_F(SettingsOnHive, GroupsLoadCreatesTheirKeyAndSaveIsOneReplacement) {
    TSKSSortGroups groups;
    loadSortGroups(groups, config.location_);
    ASSERT_TRUE(hive->openKey("Software\\Far\\Plugins\\Skimmer\\SKSGroups"));
    groups.SortGroupCount = 2;
    groups.SortGroups[0] = {"A", "kind:music", "", 0};
    groups.SortGroups[1] = {"B", "kind:picture", "ext:png", 5};
    faults.resetCounts();
    ASSERT_TRUE(saveSortGroups(groups, config.location_));
    EXPECT_EQ(faults.count(FsOp::Rename), 1u);
    open();
    TSKSSortGroups again;
    loadSortGroups(again, config.location_);
    EXPECT_EQ(again.SortGroupCount, 2);
    EXPECT_EQ(again.SortGroups[1], groups.SortGroups[1]);
}

}  // namespace
}  // namespace skimmer::config
