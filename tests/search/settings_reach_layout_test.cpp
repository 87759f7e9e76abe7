// What the settings dialogs accept is what the window is laid out with: widths typed into the
// column editor size the full-information window, a custom size typed into SKSConfig sizes it.
#include <gtest/gtest.h>

#include <functional>

#include "config/catalogue.h"
#include "far/keys.h"
#include "host/ui/far_services.h"
#include "search/window_layout.h"
#include "settings/settings_dialogs.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

struct ReachCase {
    std::string what;
    std::function<bool(settings::SettingsEnv&)> dialog;
    std::function<void(host::ui::test::ScriptedEvents&)> keys;
    int32_t W, H;
};
void PrintTo(const ReachCase& c, std::ostream* out) { *out << c.what; }

class SettingsReachLayout : public ::testing::TestWithParam<ReachCase> {
protected:
    struct FixedConsole : platform::Console {
        std::optional<platform::ConsoleSize> screenBufferSize() const override { return platform::ConsoleSize{150, 40}; }
    };
    SettingsReachLayout() : ui(150, 40) {
        PluginStartupInfo info = host.startupInfo();
        info.DialogEx = host::ui::DialogEx;
        info.SendDlgMessage = host::ui::SendDlgMessage;
        info.DefDlgProc = host::ui::DefDlgProc;
        info.Message = host::ui::Message;
        tables.copyFrom(info);
        config::configSetupCatalogue(config);
        config::setConfigValue(config, "SKSFullInfo", config::TConfigValue::boolean(true));
        config::setConfigValue(config, "SKSFIDontUse", config::TConfigValue::boolean(false));
        env.host = &tables;
        env.config = &config;
        env.groups = &groups;
        env.console = &console;
    }
    host::ui::test::UiHarness ui;
    test::TestHost host;
    platform::HostTables tables;
    config::TRegistryConfig config;
    config::TSKSSortGroups groups;
    FixedConsole console;
    settings::SettingsEnv env;
};

TEST_P(SettingsReachLayout, TheAcceptedValuesSizeTheWindow) {
    GetParam().keys(ui.events);
    ASSERT_TRUE(GetParam().dialog(env));
    const WindowSize size = windowSize(readWindowSettings(config), ConsoleState{.Width = 150, .Height = 40}, -1);
    EXPECT_EQ(size.W, GetParam().W);
    EXPECT_EQ(size.H, GetParam().H);
}

// The column editor opens on the codes; Tab reaches the widths. The full-information window is
// the widths' sum and 3 wide, up to 128; its height follows the console (40 - 5).
// SKSConfig (59x24 centred on 150x40: its cell (x, y) is the screen's (x + 45, y + 8)): the
// custom size option, then both fields, then OK.
INSTANTIATE_TEST_SUITE_P(Dialogs, SettingsReachLayout, ::testing::Values(
    ReachCase{"column_widths", settings::RunColumnEditor,
              [](auto& e) { e.key(KEY_TAB).type("20,6,30").key(KEY_ENTER); }, 59, 35},
    ReachCase{"wide_columns_stop_at_the_widest_content", settings::RunColumnEditor,
              [](auto& e) { e.key(KEY_TAB).type("100,100").key(KEY_ENTER); }, 128, 35},
    ReachCase{"custom_size", settings::RunSearchWindowSettings,
              [](auto& e) {
                  e.click(45 + 38, 8 + 6).click(45 + 16, 8 + 7).key(KEY_BS).key(KEY_BS).type("12");
                  e.click(45 + 36, 8 + 7).key(KEY_BS).key(KEY_BS).type("90").click(45 + 5, 8 + 21);
              },
              90, 12}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace skimmer::search
