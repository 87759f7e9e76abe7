// The panel driven as FAR drives it: the scriptable test host's service table, an in-memory
// registry, the settings catalogue, and helpers that list the panel, put FAR's cursor on an item
// and type into the next dialog.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/registry_primitives.h"
#include "panel/folder_store.h"
#include "panel/panel_entries.h"
#include "tests/support/memory_registry.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::panel::test {

// FAR indexes of the dialogs' items.
inline constexpr int kSearchQuery = 2, kSearchName = 7, kSearchMax = 11, kSearchAdvanced = 4, kSearchOk = 18;
inline constexpr int kDirName = 2, kDirDesc = 4, kDirOk = 8, kDirCancel = 9;
inline constexpr int kDestPath = 2, kDestOk = 4;
inline constexpr const char* kRoot = "Software\\Far\\Plugins";

class PanelFixture : public ::testing::Test {
protected:
    PanelFixture() {
        tables.copyFrom(host.startupInfo());
        config.location_ = config::settingsLocation(&registry, kRoot);
        config::configSetupCatalogue(config);
        panel.env = {};
        panel.env.host = &tables;
        panel.env.config = &config;
        panel.env.registry = &registry;
        panel.env.PluginsRootKey = kRoot;
        panel.env.engineEnvironment = [this] {
            engines::TEngineEnvironment env;
            env.Config = &config;
            env.ShowErrorText = [this](const std::string& text) { platform::ShowErrorText(tables, text); };
            env.GetMsg = [this](int n) { return platform::GetMsgStr(tables, n); };
            env.PollStep = std::chrono::milliseconds(20);
            return env;
        };
        host.panelInfo = [this](PanelInfo& info) {
            info.PanelItems = shown.data();
            info.ItemsNumber = static_cast<int>(shown.size());
            info.CurrentItem = cursor;
            info.Plugin = 1;
        };
        handle = OpenPanel(panel);
    }

    // What FAR would show now: the names of GetFindData's items (kept as FAR's copy in `shown`).
    std::vector<std::string> list() {
        PluginPanelItem* items = nullptr;
        int count = 0;
        EXPECT_TRUE(GetFindData(panel, handle, &items, &count, 0));
        shown.assign(items, items + count);
        std::vector<std::string> names;
        descriptions.clear();
        for (auto& item : shown) {
            names.push_back(item.FindData.cFileName);
            // FAR copies what it keeps: texts the plug-in owns die with FreeFindData.
            descriptions.push_back(item.Description ? item.Description : "");
            item.Description = nullptr;
        }
        FreeFindData(panel, handle, items, count);
        return names;
    }
    // FAR's cursor on the item of that name (after list()).
    void cursorOn(const std::string& name) {
        list();
        for (size_t i = 0; i < shown.size(); ++i)
            if (name == shown[i].FindData.cFileName) cursor = static_cast<int>(i);
    }
    const PluginPanelItem& item(const std::string& name) {
        cursorOn(name);
        return shown.at(cursor);
    }
    void type(std::vector<std::pair<int, std::string>> edits, int answer) {
        host.fillNextDialog([edits](FarDialogItem* items, int count) {
            for (const auto& [index, text] : edits)
                if (index < count) {
                    if (items[index].Type == DI_CHECKBOX) items[index].Selected = text == "1";
                    else std::snprintf(items[index].Data, sizeof items[index].Data, "%s", text.c_str());
                }
        });
        host.answerDialog(answer);
    }
    void newDirectory(const std::string& name) {
        type({{kDirName, name}}, kDirOk);
        char buffer[FAR_MAX_PATH] = {};
        ASSERT_EQ(MakeDirectory(panel, handle, buffer, 0), 1);
        ASSERT_STREQ(buffer, name.c_str());
    }
    void newSearchFolder(const std::string& query) {
        type({{kSearchQuery, query}}, kSearchOk);
        ASSERT_TRUE(ProcessKey(panel, handle, VK_F4, PKF_SHIFT));
    }
    std::string stored() {
        TFolderTree tree;
        LoadFolderTree(tree, &registry, kRoot);
        std::string out;
        for (TFiles* n = tree.PanelRoot.get(); n; n = n->Next.get()) out += n->Name + (n->Children ? "{}" : "") + ";";
        return out;
    }
    std::string openPluginInfo(std::string* title = nullptr) {
        OpenPluginInfo info{};
        GetOpenPluginInfo(panel, handle, info);
        if (title) *title = info.PanelTitle;
        return info.CurDir;
    }

    skimmer::test::TempHome home;
    skimmer::test::TestHost host;
    platform::HostTables tables;
    platform::MemoryRegistry registry;
    config::TRegistryConfig config;
    TPanel panel;
    HANDLE handle = nullptr;
    std::vector<PluginPanelItem> shown;
    std::vector<std::string> descriptions;  // of `shown`
    int cursor = 0;
};

}  // namespace skimmer::panel::test
