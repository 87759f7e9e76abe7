// The screen's dialogs as the dialog engine shows them, driven by keys with the screen read back:
// FAR's Select / Deselect box, the menus' break keys, and a plug-in's help in the help viewer.
#include "host/app/engine_dialogs.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/host/ui/ui_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;
using ui::test::UiHarness;

bool screenHas(UiHarness& h, const std::string& text) {
    for (int y = 0; y < h.cells().height(); ++y)
        if (h.row(y).find(text) != std::string::npos) return true;
    return false;
}

struct MasksCase {
    const char* name;
    const char* title;
    const char* initial;
    const char* typed;  // then Enter; nullptr: Esc
    std::optional<std::string> result;
};

class MasksBox : public ::testing::TestWithParam<MasksCase> {};

// The box shows its title and the masks offered; typing replaces them (FAR's unchanged line),
// Enter takes the line, Esc gives nothing.
TEST_P(MasksBox, TakesTheTypedMasks) {
    const MasksCase& c = GetParam();
    UiHarness h;
    const ManagerDialogs dialogs = engineDialogs(h.context);
    bool shown = false;
    h.events.then([&] { shown = screenHas(h, c.title) && screenHas(h, c.initial); });
    if (c.typed) h.events.type(c.typed).key(k::ENTER);
    else h.events.key(k::ESC);
    EXPECT_EQ(dialogs.masks(c.title, c.initial), c.result);
    EXPECT_TRUE(shown);
}

INSTANTIATE_TEST_SUITE_P(Boxes, MasksBox,
                         ::testing::Values(MasksCase{"typed", "Select", "*.*", "*.cpp,*.h", "*.cpp,*.h"},
                                           MasksCase{"offered_taken", "Deselect", "*.h|x.h", "", "*.h|x.h"},
                                           MasksCase{"esc", "Select", "*.txt", nullptr, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

// A break key ends the menu on the entry under the cursor and says which key it was.
TEST(EngineMenu, BreakKeysAnswerTheEntryAndTheKey) {
    UiHarness h;
    const ManagerDialogs dialogs = engineDialogs(h.context);
    MenuOffer menu = plainMenu("Plugin commands", {"First", "Second"});
    menu.breakKeys = {k::F(1), k::kShift | k::F(1)};
    h.events.key(k::DOWN).key(k::kShift | k::F(1));
    const MenuAnswer help = dialogs.menu(menu);
    EXPECT_EQ(help.index, 1);
    EXPECT_EQ(help.breakKey, 1);
    h.events.key(k::ENTER);
    const MenuAnswer chosen = dialogs.menu(menu);
    EXPECT_EQ(chosen.index, 0);
    EXPECT_EQ(chosen.breakKey, -1);
}

struct HelpCase {
    const char* name;
    const char* hlf;    // the help file beside the module; nullptr: none
    const char* topic;
    const char* shows;  // the header shown, nullptr: nothing (and false)
};

class PluginHelp : public ::testing::TestWithParam<HelpCase> {};

// The topic from the .hlf file beside the plug-in's module, its Contents when the file has no such
// topic, and nothing at all (no warning) when the plug-in has no help file, as in FAR.
TEST_P(PluginHelp, ShowsTheTopicOrTheContents) {
    const HelpCase& c = GetParam();
    test::TempHome home;
    const std::filesystem::path module = home.root() / "vfs" / "vfs.so";
    std::filesystem::create_directories(module.parent_path());
    if (c.hlf) std::ofstream(module.parent_path() / "vfs_en.hlf") << c.hlf;
    UiHarness h;
    h.context.setHelpLanguage("English");
    h.context.setModuleResolver([&](int plugin) { return plugin == 3 ? module.string() : std::string(); });
    const ManagerDialogs dialogs = engineDialogs(h.context);
    bool shown = false;
    if (c.shows) h.events.then([&] { shown = screenHas(h, c.shows); }).key(k::ESC);
    EXPECT_EQ(dialogs.pluginHelp(3, c.topic), c.shows != nullptr);
    EXPECT_EQ(shown, c.shows != nullptr);
    EXPECT_FALSE(screenHas(h, "not found"));
}

constexpr const char* kBoth = ".Language=English,English\n\n@Contents\n$ #Vfs contents#\n Text.\n\n"
                              "@Config\n$ #Vfs settings#\n Options.\n";
constexpr const char* kContentsOnly = ".Language=English,English\n\n@Contents\n$ #Vfs contents#\n Text.\n";

INSTANTIATE_TEST_SUITE_P(Topics, PluginHelp,
                         ::testing::Values(HelpCase{"config_topic", kBoth, "Config", "Vfs settings"},
                                           HelpCase{"contents", kBoth, "Contents", "Vfs contents"},
                                           HelpCase{"config_falls_back", kContentsOnly, "Config", "Vfs contents"},
                                           HelpCase{"no_help_file", nullptr, "Contents", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app
