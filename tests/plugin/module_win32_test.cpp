// skimmer.dll as FAR on Windows drives it: loaded with LoadLibraryW, every entry point found by
// its plain name with GetProcAddress, its settings and search folders kept in the registry (Wine's
// HKEY_CURRENT_USER here) below the plug-ins root key the host hands over.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "far/dialog.h"
#include "far/panel.h"
#include "tests/support/scratch_user_registry.h"
#include "tests/support/test_host.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

// The names FAR 1.70 looks up (plugin/skimmer.def), and nothing decorated.
const std::vector<std::string> kEntryPoints = {
    "SetStartupInfo", "GetPluginInfo",   "OpenPlugin",   "Configure",   "ClosePlugin",   "ExitFAR",
    "GetMinFarVersion", "GetOpenPluginInfo", "GetFindData", "FreeFindData", "SetDirectory", "ProcessEvent",
    "GetFiles",       "PutFiles",        "DeleteFiles",  "MakeDirectory", "ProcessKey"};

TEST(LoadedDll, FindsEveryEntryPointByItsPlainNameAndNeedsNothingBesideIt) {
    TempHome home;
    // Alone in a folder of its own: a runtime DLL it needed would be missing there.
    const fs::path alone = home.root() / "Plugins" / "Skimmer" / "skimmer.dll";
    fs::create_directories(alone.parent_path());
    fs::copy_file(builtModuleFile(), alone);
    Module module(alone);
    ASSERT_TRUE(module.loaded()) << module.error();
    for (const std::string& name : kEntryPoints) EXPECT_NE(module.symbol(name.c_str()), nullptr) << name;
    for (const char* decorated : {"SetStartupInfo@4", "_SetStartupInfo@4", "_SetStartupInfo"})
        EXPECT_EQ(module.symbol(decorated), nullptr) << decorated;
    EXPECT_EQ(module.entry<farapi::GetMinFarVersionFn>("GetMinFarVersion")(), static_cast<int>(FARMANAGERVERSION));
}

// One start of the module under a plug-ins root key of the test's own, FAR's palette in place.
class ModuleUnderFar : public ::testing::Test {
protected:
    ModuleUnderFar() {
        auto colors = user.registry().createKey(user.path("Far\\Colors"));
        EXPECT_TRUE(colors && colors->writeBinary("CurrentPalette", std::string(112, '\x1B')));
        host.setRootKey(pluginsRoot);
    }
    template <typename Fn>
    Fn entry(const char* name) {
        auto fn = module.entry<Fn>(name);
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }
    void start() {
        ASSERT_TRUE(module.loaded()) << module.error();
        entry<farapi::SetStartupInfoFn>("SetStartupInfo")(&host.startupInfo());
        EXPECT_TRUE(host.callsTo("Message").empty()) << "FAR's palette was found in the registry";
        host.clearCalls();
    }

    ScratchUserRegistry user;
    const std::string pluginsRoot = user.path("Far\\Plugins");
    const std::string settingsKey = pluginsRoot + "\\Skimmer";
    TestHost host;
    Module module{builtModuleFile()};
};

TEST_F(ModuleUnderFar, ReadsAndSavesItsSettingsBelowTheRootKey) {
    {
        auto settings = user.registry().createKey(settingsKey);
        ASSERT_TRUE(settings && settings->writeString("ESKSLocate32Path", "C:\\Tools\\Locate"));
    }
    start();
    PluginInfo info{};
    entry<farapi::GetPluginInfoFn>("GetPluginInfo")(&info);
    ASSERT_EQ(info.PluginMenuStringsNumber, 1);
    EXPECT_STREQ(info.PluginMenuStrings[0], "Skimmer");
    EXPECT_EQ(entry<farapi::OpenPluginFn>("OpenPlugin")(OPEN_COMMANDLINE, 0), INVALID_HANDLE_VALUE);

    // The engine settings: their folder edit shows what the registry holds; OK saves them.
    bool shown = false;
    host.answerMenu(0);
    host.fillNextDialog([&](FarDialogItem* items, int count) {
        for (int i = 0; i < count; ++i) shown = shown || std::strcmp(items[i].Data, "C:\\Tools\\Locate") == 0;
    });
    host.answerDialog(7);  // "BOK"
    EXPECT_EQ(entry<farapi::ConfigureFn>("Configure")(0), 0);
    EXPECT_TRUE(shown) << "the setting was read from the registry";
    entry<farapi::ExitFARFn>("ExitFAR")();

    auto saved = user.reopen()->openKey(settingsKey);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->readDword("ESKSSearchEngine"), 0u);
    EXPECT_EQ(saved->readString("ESKSLocate32Path"), "C:\\Tools\\Locate");
    const std::vector<std::string> groups{"SKSGroups"};
    EXPECT_EQ(saved->subkeys(), groups) << "the first start made the groups key";
}

TEST_F(ModuleUnderFar, LoadsTheSearchFolderTreeAndSavesItsChanges) {
    const std::string tree = settingsKey + "\\SKPanel";
    for (const char* name : {"Docs", "Old search"}) {
        auto key = user.registry().createKey(tree + "\\" + name);
        ASSERT_TRUE(key && key->writeDword("Type", std::string(name) == "Docs" ? 0 : 2));
    }
    start();
    const HANDLE panel = entry<farapi::OpenPluginFn>("OpenPlugin")(OPEN_DISKMENU, 0);
    ASSERT_NE(panel, INVALID_HANDLE_VALUE);
    PluginPanelItem* items = nullptr;
    int count = 0;
    ASSERT_TRUE(entry<farapi::GetFindDataFn>("GetFindData")(panel, &items, &count, OPM_SILENT));
    std::vector<std::string> names;
    PluginPanelItem* old = nullptr;
    for (int i = 0; i < count; ++i) {
        names.emplace_back(items[i].FindData.cFileName);
        if (names.back() == "Old search") old = &items[i];
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Docs", "Old search"}));
    ASSERT_NE(old, nullptr);
    EXPECT_TRUE(entry<farapi::DeleteFilesFn>("DeleteFiles")(panel, old, 1, OPM_SILENT));
    entry<farapi::FreeFindDataFn>("FreeFindData")(panel, items, count);
    entry<farapi::ClosePluginFn>("ClosePlugin")(panel);
    entry<farapi::ExitFARFn>("ExitFAR")();

    auto stored = user.reopen()->openKey(tree);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->subkeys(), std::vector<std::string>{"Docs"});
}

}  // namespace
}  // namespace skimmer::test
