// The settings and the user groups in the user's registry as the module opens it — the hive file
// on Linux, HKEY_CURRENT_USER under Wine or Windows — below a plug-ins root key as FAR hands it
// over: what one start saves, the next start loads, under PluginsRootKey\Skimmer.
#include <gtest/gtest.h>

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "config/sort_groups.h"
#include "tests/support/scratch_user_registry.h"

namespace skimmer::config {
namespace {

struct Start {
    explicit Start(platform::RegistryAccess& registry, const std::string& pluginsRoot) {
        config.location_ = settingsLocation(&registry, pluginsRoot);
        config.reportError_ = [this](const std::string& text) { errors.push_back(text); };
        configSetupCatalogue(config);
        loadSortGroups(groups, config.location_);
    }
    TConfigValue get(const char* name) {
        TConfigValue value;
        EXPECT_TRUE(getConfigValue(config, name, value)) << name;
        return value;
    }
    TRegistryConfig config;
    TSKSSortGroups groups;
    std::vector<std::string> errors;
};

TEST(SettingsInUserRegistry, WhatOneStartSavesTheNextStartLoads) {
    test::ScratchUserRegistry user;
    const std::string pluginsRoot = user.path("Far\\Plugins");
    {
        Start first(user.registry(), pluginsRoot);
        EXPECT_EQ(first.get("SKSStyle"), TConfigValue::integer(2));
        ASSERT_TRUE(setConfigValue(first.config, "SKSStyle", TConfigValue::integer(1)));
        ASSERT_TRUE(setConfigValue(first.config, "SKSWindowWidth", TConfigValue::str("72")));
        ASSERT_TRUE(setConfigValue(first.config, "SKSFIDontUse", TConfigValue::boolean(false)));
        configSaveValues(first.config);
        first.groups.SortGroupCount = 1;
        first.groups.SortGroups[0] = {"Docs", "kind:document", "ext:pdf", 25};
        std::string error;
        ASSERT_TRUE(saveSortGroups(first.groups, first.config.location_, &error)) << error;
        EXPECT_TRUE(first.errors.empty());
    }
    auto reopened = user.reopen();
    Start next(*reopened, pluginsRoot);
    EXPECT_EQ(next.get("SKSStyle"), TConfigValue::integer(1));
    EXPECT_EQ(next.get("SKSWindowWidth"), TConfigValue::str("72"));
    EXPECT_EQ(next.get("SKSFIDontUse"), TConfigValue::boolean(false));
    EXPECT_EQ(next.groups.SortGroupCount, 1);
    EXPECT_EQ(next.groups.SortGroups[0], (TSKSSortGroup{"Docs", "kind:document", "ext:pdf", 25}));
    // Where FAR's plug-ins keep their keys: PluginsRootKey\Skimmer, the groups below it.
    auto settings = reopened->openKey(pluginsRoot + "\\Skimmer");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->readDword("SKSStyle"), 1u);
    EXPECT_EQ(settings->subkeys(), std::vector<std::string>{"SKSGroups"});
    EXPECT_TRUE(next.errors.empty());
    EXPECT_TRUE(user.reports.empty());
}

}  // namespace
}  // namespace skimmer::config
