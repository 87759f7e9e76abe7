#include "far/panel.h"
#include "tests/plugin/plugin_fixture.h"
#include "engines/engine_select.h"

namespace skimmer::plugin {
namespace {

class GetPluginInfoTest : public PluginFixture {
protected:
    PluginInfo infoWithLetter(const char* letter) {
        registry->setValue(kSettingsKey, "SKPLetter", regSz(letter));
        start();
        PluginInfo info{};
        getPluginInfo(state, info);
        return info;
    }
};

TEST_F(GetPluginInfoTest, AnnouncesOneEntryInEachMenu) {
    const PluginInfo info = infoWithLetter("0");
    EXPECT_EQ(info.StructSize, static_cast<int>(sizeof(PluginInfo)));
    EXPECT_EQ(info.Flags, PF_PRELOAD);
    ASSERT_EQ(info.DiskMenuStringsNumber, 1);
    ASSERT_EQ(info.PluginMenuStringsNumber, 1);
    ASSERT_EQ(info.PluginConfigStringsNumber, 1);
    EXPECT_STREQ(info.DiskMenuStrings[0], "Skimmer");
    // Three arrays holding the same constant text, alive after the call.
    EXPECT_NE(info.DiskMenuStrings, info.PluginMenuStrings);
    EXPECT_EQ(info.DiskMenuStrings[0], info.PluginMenuStrings[0]);
    EXPECT_EQ(info.PluginConfigStrings[0], info.PluginMenuStrings[0]);
    EXPECT_EQ(info.CommandPrefix, nullptr);
    EXPECT_EQ(info.Reserved, 0u);
    ASSERT_NE(info.DiskMenuNumbers, nullptr);
    EXPECT_EQ(*info.DiskMenuNumbers, 0);
}

TEST_F(GetPluginInfoTest, DiskMenuNumberFromTheLeadingDigits) {
    EXPECT_EQ(infoWithLetter("").DiskMenuNumbers, nullptr);
    const PluginInfo three = infoWithLetter("3");
    ASSERT_NE(three.DiskMenuNumbers, nullptr);
    EXPECT_EQ(*three.DiskMenuNumbers, 3);
    // A stored text the panel dialog would refuse is not used: the default "0" is.
    EXPECT_EQ(*infoWithLetter("x").DiskMenuNumbers, 0);
    EXPECT_EQ(*infoWithLetter("4x").DiskMenuNumbers, 0);
    EXPECT_EQ(*infoWithLetter("99999999999999").DiskMenuNumbers, 0);
    EXPECT_TRUE(host.callsTo("Message").empty());
}

TEST_F(PluginFixture, OpenFromTheCommandLineReturnsNoPanelAndShowsNothing) {
    start();
    EXPECT_EQ(openPlugin(state, OPEN_COMMANDLINE, 0), INVALID_HANDLE_VALUE);
    ASSERT_FALSE(host.calls().empty());
    EXPECT_EQ(host.calls()[0].function, "Control");
    EXPECT_EQ(host.calls()[0].args[1], FCTL_GETPANELINFO);
    EXPECT_TRUE(host.callsTo("Message").empty());
    EXPECT_TRUE(host.callsTo("Menu").empty());
    EXPECT_EQ(state.NoDateText, host.messages()[93]);
}

TEST_F(PluginFixture, OpenRereadsThePaletteAndChoosesListColours) {
    start();
    std::string palette(112, '\0');
    for (int i = 0; i < 112; ++i) palette[i] = static_cast<char>(i);
    registry->setValue(kColorsKey, "CurrentPalette", regBinary(palette));
    openPlugin(state, OPEN_COMMANDLINE, 0);
    EXPECT_EQ(state.ListColors, (std::array<uint16_t, 4>{23, 32, 10, 72}));  // style 2, the default

    config::setConfigValue(state.PluginConfig, "SKSStyle", config::TConfigValue::integer(1));
    openPlugin(state, OPEN_COMMANDLINE, 0);
    EXPECT_EQ(state.ListColors, (std::array<uint16_t, 4>{10, 14, 10, 64}));
    config::setConfigValue(state.PluginConfig, "SKSStyle", config::TConfigValue::integer(0));
    openPlugin(state, OPEN_COMMANDLINE, 0);
    EXPECT_EQ(state.ListColors, (std::array<uint16_t, 4>{0xF0, 0xF0, 0xF0, 0xF7}));
    config::setConfigValue(state.PluginConfig, "SKSStyle", config::TConfigValue::integer(5));
    openPlugin(state, OPEN_COMMANDLINE, 0);
    EXPECT_EQ(state.ListColors, (std::array<uint16_t, 4>{0xF0, 0xF0, 0xF0, 0xF7}));  // unchanged
}

TEST_F(PluginFixture, OpenReloadsTheHighlightGroupsEachTime) {
    start();
    const std::string group0 = std::string(kColorsKey) + "\\Highlight\\Group0";
    registry->setValue(group0, "Mask", regSz("*.exe"));
    registry->setValue(group0, "NormalColor", regDword(0x1A));
    openPlugin(state, OPEN_COMMANDLINE, 0);
    ASSERT_EQ(state.HighlightGroups.HLGroupCount(), 1);
    EXPECT_EQ(state.HighlightGroups.Groups[0].NormalColor, 0x1A);
    registry->setValue(std::string(kColorsKey) + "\\Highlight\\Group1", "Mask", regSz("*.bak"));
    openPlugin(state, OPEN_COMMANDLINE, 0);
    EXPECT_EQ(state.HighlightGroups.HLGroupCount(), 2);
}

// The console is read once the engine has been found usable (here the locate stand-in).
TEST_F(PluginFixture, ConfigureShowsTheFourEntriesAndAlwaysReturnsZero) {
    start();
    host.answerMenu(-1);
    EXPECT_EQ(configure(state, 5), 0);
    const auto menus = host.callsTo("Menu");
    ASSERT_EQ(menus.size(), 1u);
    const auto& menu = menus[0];
    const auto& msg = host.messages();
    EXPECT_EQ(menu.texts, (std::vector<std::string>{msg[37], "<null>", "<null>", msg[163] + engines::EngineDisplayName(engines::EngineChoice::WindowsSearch), msg[41], msg[42],
                                                     msg[43]}));
    // Module number, centred, no height limit, FMENU_WRAPMODE, 4 items, item 0 pre-selected.
    EXPECT_EQ(menu.args, (std::vector<long long>{7, -1, -1, 0, FMENU_WRAPMODE, 4, 0}));

    config::setConfigValue(state.PluginConfig, "ESKSSearchEngine", config::TConfigValue::integer(1));
    host.answerMenu(-1);
    configure(state, 0);
    // The locate engine's name is the system's program: "locate" on Linux, "Locate32" on Windows.
    EXPECT_EQ(host.callsTo("Menu").back().texts[3],
              msg[163] + engines::EngineDisplayName(engines::EngineChoice::Locate32));
}

TEST(ListColours, ShortPaletteReadsZero) {
    std::array<uint16_t, 4> colors{};
    EXPECT_TRUE(listColorsFor(2, std::vector<uint8_t>(20, 9), colors));
    EXPECT_EQ(colors, (std::array<uint16_t, 4>{0, 0, 9, 0}));
}

}  // namespace
}  // namespace skimmer::plugin
