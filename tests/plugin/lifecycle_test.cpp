#include <algorithm>
#include <filesystem>
#include <fstream>

#include "config/catalogue.h"
#include "far/adv_control.h"
#include "far/panel.h"
#include "panel/panel_entries.h"
#include "plugin/load_stamp.h"
#include "tests/plugin/plugin_fixture.h"

namespace skimmer::plugin {
namespace {

namespace fs = std::filesystem;

TEST(RootKeys, FarRootKeyDropsTheLastComponent) {
    EXPECT_EQ(farRootKeyFrom("Software\\Far\\Plugins"), "Software\\Far");
    EXPECT_EQ(farRootKeyFrom("Software\\Far\\Users\\me\\Plugins"), "Software\\Far\\Users\\me");
    EXPECT_EQ(farRootKeyFrom("Plugins"), "");
    EXPECT_EQ(farRootKeyFrom(""), "");
}

TEST(LoadStamp, DaysTimesTenThousandRoundedToNearest) {
    EXPECT_EQ(loadStampFromOleDate(45000.0), "450000000");
    EXPECT_EQ(loadStampFromOleDate(45000.12345), "450001235");  // .5 of a unit rounds up
    EXPECT_EQ(loadStampFromOleDate(45000.123449), "450001234");
}

TEST_F(PluginFixture, StartupKeepsTablesAndDerivesRootKeys) {
    setStartupInfo(state, host.startupInfo());
    EXPECT_EQ(state.PluginsRootKey, "Software\\Far\\Plugins");
    EXPECT_EQ(state.FarRootKey, "Software\\Far");
    EXPECT_EQ(state.FarVersion, MAKEFARVERSION(1, 70, 2087));
    ASSERT_EQ(host.callsTo("AdvControl").size(), 1u);
    EXPECT_EQ(host.callsTo("AdvControl")[0].args[1], ACTL_GETFARVERSION);
    // The copy of the standard functions is the plug-in's own.
    EXPECT_EQ(state.host.StartupInfo.FSF, &state.host.StandardFunctions);
    EXPECT_NE(state.host.StartupInfo.FSF, host.startupInfo().FSF);
    EXPECT_EQ(state.PluginConfig.Count, config::kCatalogueSize);
    // No settings were written, but the group load made its key (and so the settings key).
    EXPECT_TRUE(registry->keyExists(std::string(kSettingsKey) + "\\SKSGroups"));
    EXPECT_EQ(registry->valueCount(kSettingsKey), 0u);
    EXPECT_TRUE(host.callsTo("Message").empty());
}

TEST_F(PluginFixture, StartupLoadsSettingsAndGroupsFromTheRegistry) {
    registry->setValue(kSettingsKey, "SKSStyle", regDword(1));
    registry->setValue(std::string(kSettingsKey) + "\\SKSGroups", "num", regDword(1));
    registry->setValue(std::string(kSettingsKey) + "\\SKSGroups\\Group0", "Name", regSz("Docs"));
    start();
    config::TConfigValue style;
    ASSERT_TRUE(config::getConfigValue(state.PluginConfig, "SKSStyle", style));
    EXPECT_EQ(style.IntValue, 1);
    EXPECT_EQ(state.Groups.SortGroupCount, 1);
    EXPECT_EQ(state.Groups.SortGroups[0].Name, "Docs");
}

TEST_F(PluginFixture, PaletteOverlaysTheDefaultsAndAMissingOneIsReported) {
    registry->setValue(kColorsKey, "CurrentPalette", regBinary("\x01\x02\x03"));
    start();
    ASSERT_EQ(state.Palette.size(), 112u);
    EXPECT_EQ(state.Palette[2], 3);
    EXPECT_EQ(state.Palette[3], 0x0E);  // FAR's default beyond the stored prefix

    std::string longer(130, '\x07');
    registry->setValue(kColorsKey, "CurrentPalette", regBinary(longer));
    setStartupInfo(state, host.startupInfo());
    EXPECT_EQ(state.Palette, std::vector<uint8_t>(130, 7));  // a longer value is kept whole

    host.answerMessage(0);
    registry->setValue(kColorsKey, "CurrentPalette", regSz("not binary"));
    host.clearCalls();
    setStartupInfo(state, host.startupInfo());
    const auto shown = host.callsTo("Message");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].texts[1], "Skimmer Error");
    EXPECT_EQ(shown[0].texts[2], host.messages()[1]);
    EXPECT_EQ(shown[0].args[1], static_cast<long long>(FMSG_WARNING | FMSG_LEFTALIGN));
    EXPECT_EQ(state.Palette.size(), 112u);
    EXPECT_EQ(state.Palette[0], 0x3F);
}

TEST_F(PluginFixture, TemporaryFolderIsPrivateAndNamedAfterTheStamp) {
    start();
    const fs::path folder = state.PluginTempDir();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.filename().string().rfind("skimmer.45000", 0), 0u);
    EXPECT_EQ(folder.parent_path(), home.root() / "tmp");  // its mode: lifecycle_posix_test.cpp

    // A second instance loaded within the same stamp gets a folder of its own.
    PluginState other("45000");
    other.services.registry = std::make_unique<platform::MemoryRegistry>();
    other.services.console = std::make_unique<FakeConsole>(std::nullopt);
    test::TestHost::current().answerMessage(0);  // its registry has no palette
    setStartupInfo(other, host.startupInfo());
    EXPECT_NE(other.PluginTempDir(), state.PluginTempDir());
    exitFar(other);
    EXPECT_TRUE(fs::exists(folder));  // the other instance removed only its own
}

TEST_F(PluginFixture, ExitRemovesTheFolderSilently) {
    start();
    const fs::path folder = state.PluginTempDir();
    exitFar(state);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(host.calls().empty());

}

TEST_F(PluginFixture, ExitLeavesWhatItDidNotCreate) {
    start();
    const fs::path folder = state.PluginTempDir();
    std::ofstream(folder / "foreign.txt") << "someone else's";
    exitFar(state);
    EXPECT_TRUE(fs::exists(folder / "foreign.txt"));
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(PluginFixture, ShortHostTableLeavesMissingServicesUnused) {
    host.setStructSize(offsetof(PluginStartupInfo, Menu));  // an ancient host: no services at all
    setStartupInfo(state, host.startupInfo());
    EXPECT_EQ(state.host.StartupInfo.Message, nullptr);
    EXPECT_EQ(state.FarVersion, 0u);
    EXPECT_EQ(configure(state, 0), 0);
    EXPECT_EQ(openPlugin(state, OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(PluginFixture, ErrorBoxShape) {
    start();
    host.answerMessage(0);
    EXPECT_EQ(platform::ShowErrorCode(state.host, 51), 51);
    host.answerMessage(-1);
    EXPECT_EQ(platform::ShowErrorText(state.host, "boom"), 1000);
    const auto shown = host.callsTo("Message");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].texts, (std::vector<std::string>{"", "Skimmer Error", "Error: 51"}));
    EXPECT_EQ(shown[0].args, (std::vector<long long>{7, 0x11, 2, 1}));
    EXPECT_EQ(shown[1].texts[2], "boom");
}

// The drive-menu face: the tree loaded at start-up, one instance that keeps its place across
// ClosePlugin, freed by ExitFAR.
TEST_F(PluginFixture, DriveMenuOpensTheOneSearchFolderPanel) {
    registry->setValue("Software\\Far\\Plugins\\Skimmer\\SKPanel\\Docs\\report", "Type", regDword(2));
    start();
    const HANDLE panel = openPlugin(state, OPEN_DISKMENU, 0);
    ASSERT_NE(panel, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(panel::SetDirectory(state.Panel, panel, "Docs", 0));
    closePlugin(state, panel);
    EXPECT_EQ(openPlugin(state, OPEN_DISKMENU, 0), panel);
    OpenPluginInfo info{};
    panel::GetOpenPluginInfo(state.Panel, panel, info);
    EXPECT_STREQ(info.CurDir, "\\Docs");
    EXPECT_EQ(openPlugin(state, OPEN_COMMANDLINE, 0), INVALID_HANDLE_VALUE);
    exitFar(state);
    EXPECT_EQ(state.Panel.PanelInstance, nullptr);
}

}  // namespace
}  // namespace skimmer::plugin
