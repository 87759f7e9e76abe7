// The configuration menu: the engine settings, the search window's settings, the panel's
// settings and the About box, each over the plug-in's live settings.
#include <cstring>

#include "engines/engine_select.h"
#include "lng/messages.h"
#include "os/utf8.h"
#include "plugin/entry_points.h"
#include "settings/settings_dialogs.h"

namespace skimmer::plugin {

namespace {

// Copies `text` into a FAR menu item, cut at a character boundary so that no UTF-8 sequence is split.
void setItemText(FarMenuItem& item, const std::string& text) {
    const size_t length = os::utf8CutPoint(text, sizeof item.Text - 1);
    std::memcpy(item.Text, text.data(), length);
    item.Text[length] = '\0';
}

// The stand-in's own name: "WDS" or "Locate32" would mean nothing to a Linux user.
std::string engineName(const PluginState& state) {
    return engines::EngineDisplayName(engines::ChosenEngine(state.PluginConfig));
}

// What the dialogs work on: the plug-in's own state, read at the moment the menu is used.
settings::SettingsEnv settingsEnvFor(PluginState& state) {
    settings::SettingsEnv env{state.Context()};
    env.engineEnvironment = [&state] { return state.EngineEnvironment(); };
    return env;
}

// The menu's entries in their order.
enum ConfigureEntry { kEngineEntry, kWindowEntry, kPanelEntry, kAboutEntry };

}  // namespace

int configure(PluginState& state, int) {
    const platform::HostTables& host = state.host;
    FarMenuItem items[4] = {};
    setItemText(items[0], platform::GetMsgStr(host, lng::kMsgSearchEngine) + engineName(state));
    items[0].Selected = 1;
    setItemText(items[1], platform::GetMsgStr(host, lng::kMsgConfigWindow));
    setItemText(items[2], platform::GetMsgStr(host, lng::kMsgConfigPanel));
    setItemText(items[3], platform::GetMsgStr(host, lng::kMsgConfigAbout));
    const std::string title = platform::GetMsgStr(host, lng::kMsgConfigMenuTitle);
    if (!host.StartupInfo.Menu) return 0;
    const int chosen = host.StartupInfo.Menu(host.moduleNumber(), -1, -1, 0, FMENU_WRAPMODE, title.c_str(), nullptr,
                                             nullptr, nullptr, nullptr, items, 4);
    settings::SettingsEnv env = settingsEnvFor(state);
    switch (chosen) {
        case kEngineEntry: settings::RunEngineSettings(env); break;
        case kWindowEntry: settings::RunSearchWindowSettings(env); break;
        case kPanelEntry: settings::RunPanelSettings(env); break;
        case kAboutEntry: settings::ShowAboutBox(env); break;
        default: break;  // Escape: back to FAR
    }
    return 0;
}

}  // namespace skimmer::plugin
