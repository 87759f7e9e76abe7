// Every settings dialog gives each hot key to one item at most: a letter that serves two items
// reaches only the first, and the user cannot tell which.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "dialogs/registered_dialog.h"
#include "host/ui/hotkey_text.h"
#include "settings/engine_settings.h"
#include "settings/panel_settings.h"
#include "settings/window_settings.h"
#include "tests/settings/settings_fixture.h"

namespace skimmer::settings {
namespace {

struct DialogTable {
    std::string name;
    std::function<dialogs::TDialogDescription(const platform::HostTables&, const config::TRegistryConfig&)> table;
};
void PrintTo(const DialogTable& c, std::ostream* out) { *out << c.name; }

class DialogHotkeys : public test::SettingsDialogTest, public ::testing::WithParamInterface<DialogTable> {};

TEST_P(DialogHotkeys, NoTwoItemsShareAHotKey) {
    dialogs::TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(dialogs::RegisterDialog(dialog, store->config, GetParam().table(tables, store->config), error)) << error;
    std::map<char32_t, std::string> taken;
    for (size_t i = 1; i < dialog.Items.size(); ++i) {
        const FarDialogItem& item = dialog.Items[i];
        // A greyed-out item answers no hot key; those the table greys out stay so (the panel's
        // read-only options).
        if (item.Type == DI_EDIT || (item.Flags & (DIF_SHOWAMPERSAND | DIF_DISABLE))) continue;
        const host::ui::HotkeyText text = host::ui::parseHotkey(item.Data);
        if (text.key == 0) continue;
        const auto [where, fresh] = taken.emplace(text.key, item.Data);
        EXPECT_TRUE(fresh) << "\"" << item.Data << "\" and \"" << where->second << "\" share " << text.hot;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogHotkeys, ::testing::Values(
    DialogTable{"SKSConfig", [](const auto& host, const auto&) {
        static WindowSettingsButtons buttons;  // the table keeps its address
        return windowSettingsTable(host, buttons);
    }},
    DialogTable{"engine", [](const auto& host, const auto& config) {
        static TEngineButtons buttons;
        return EngineSettingsDescription(host, config, buttons);
    }},
    DialogTable{"SKPConfig", [](const auto& host, const auto& config) {
        static TPanelButtons buttons;
        return PanelSettingsDescription(host, config, buttons);
    }}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace skimmer::settings
