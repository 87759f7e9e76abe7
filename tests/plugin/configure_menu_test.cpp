// The configuration menu's four entries each reach their dialog (as the scripted host sees it:
// size, help topic, frame title), and Configure returns 0 however the dialog ends.
#include <gtest/gtest.h>

#include "tests/plugin/plugin_fixture.h"

namespace skimmer::plugin {
namespace {

struct EntryCase {
    std::string what;
    int entry;
    long long width, height;
    std::string topic;    // "<null>": none
    std::vector<int> frameTitle;  // the product name followed by these messages
};

class ConfigureEntry : public PluginFixture, public ::testing::WithParamInterface<EntryCase> {
protected:
    ConfigureEntry() {
        // The About box asks an engine of the test's own: no index, its complaint recorded.
        state.services.engineEnvironment = [this](const PluginState& s) {
            engines::TEngineEnvironment env;
            env.Config = &s.PluginConfig;
            env.IndexFile = home.root() / "absent.sqlite";
            env.ShowErrorText = [this](const std::string& text) { engineErrors.push_back(text); };
            return env;
        };
    }
    std::vector<std::string> engineErrors;
};

TEST_P(ConfigureEntry, OpensItsDialogAndReturnsZero) {
    start();
    host.answerMenu(GetParam().entry);
    host.answerDialog(-1);
    EXPECT_EQ(configure(state, 0), 0);
    const auto dialogs = host.callsTo("DialogEx");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(std::vector<long long>(dialogs[0].args.begin(), dialogs[0].args.begin() + 5),
              (std::vector<long long>{host.moduleNumber, -1, -1, GetParam().width, GetParam().height}));
    EXPECT_EQ(dialogs[0].texts.at(0), GetParam().topic);
    std::string title = "Skimmer";
    for (int number : GetParam().frameTitle) title += host.messages().at(static_cast<size_t>(number));
    EXPECT_EQ(dialogs[0].texts.at(1), title);
    EXPECT_TRUE(host.callsTo("Message").empty()) << "no dialog complained";
}

INSTANTIATE_TEST_SUITE_P(Entries, ConfigureEntry, ::testing::Values(
    EntryCase{"EngineSettings", 0, 59, 10, "SKSConfig", {}},
    EntryCase{"SearchWindowSettings", 1, 59, 24, "SKSConfig", {38, 39}},
    EntryCase{"PanelSettings", 2, 59, 17, "SKPConfig", {38, 40}},
    EntryCase{"About", 3, 48, 20, "<null>", {}}),
    [](const auto& info) { return info.param.what; });

TEST_F(PluginFixture, TheEngineDialogReachedFromTheMenuSavesIntoThePlugInsSettings) {
    start();
    ASSERT_FALSE(registry->value(kSettingsKey, "ESKSSearchEngine")) << "nothing saved yet";
    host.answerMenu(0);
    host.answerDialog(7);  // "BOK"
    EXPECT_EQ(configure(state, 0), 0);
    const auto engine = registry->value(kSettingsKey, "ESKSSearchEngine");
    const auto folder = registry->value(kSettingsKey, "ESKSLocate32Path");
    ASSERT_TRUE(engine && folder) << "saved as they stood";
    EXPECT_EQ(engine->data, regDword(0).data);
    EXPECT_EQ(folder->data, "/usr/bin");
}

}  // namespace
}  // namespace skimmer::plugin
