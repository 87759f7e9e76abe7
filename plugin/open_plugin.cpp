#include "config/catalogue.h"
#include "engines/search_engine.h"
#include "far/colors.h"
#include "lng/messages.h"
#include "platform/far_palette.h"
#include "plugin/entry_points.h"
#include "panel/panel_entries.h"
#include "search/search_window.h"

namespace skimmer::plugin {

namespace {

int32_t searchWindowStyle(const PluginState& state) {
    // A table without the setting (one set up before the catalogue) has no style of its own.
    return config::setting::kStyle.find(state.PluginConfig).value_or(-1);
}

// The search window face: runs the window until the user leaves it; no panel is returned.
HANDLE openSearchWindow(PluginState& state) {
    const auto size = state.services.console ? state.services.console->screenBufferSize() : std::nullopt;
    if (!size) {
        platform::ShowErrorCode(state.host, 200);
        return INVALID_HANDLE_VALUE;
    }
    state.ConsoleWidth = size->width;
    state.ConsoleHeight = size->height;
    search::SearchWindowEnv env{state.Context()};
    env.ListColors = state.ListColors;
    env.listColorsFor = [&state](int32_t style) {
        listColorsFor(style, state.Palette, state.ListColors);
        return state.ListColors;
    };
    env.engineEnvironment = state.EngineEnvironment();
    env.mail = state.Mail();
    env.saveSettings = [&state] { config::configSaveValues(state.PluginConfig); };
    search::RunSearchWindow(env);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool listColorsFor(int32_t style, const std::vector<uint8_t>& palette, std::array<uint16_t, 4>& colors) {
    auto at = [&palette](size_t index) -> uint16_t { return index < palette.size() ? palette[index] : 0; };
    switch (style) {
        case 0: colors = {0xF0, 0xF0, 0xF0, 0xF7}; return true;
        case 1: colors = {at(COL_PANELTEXT), at(COL_PANELCURSOR), at(COL_PANELTEXT), at(COL_PANELSCROLLBAR)}; return true;
        case 2:
            colors = {at(COL_DIALOGBOX), at(COL_DIALOGLISTSELECTEDTEXT), at(COL_PANELTEXT), at(COL_DIALOGLISTSCROLLBAR)};
            return true;
        default: return false;
    }
}

HANDLE openPlugin(PluginState& state, int openFrom, INT_PTR) {
    const PluginStartupInfo& host = state.host.StartupInfo;
    PanelInfo panel{};
    if (host.Control) host.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel);
    state.Palette = platform::ReadFarPalette(state.host, state.services.registry.get(), state.FarRootKey);
    results::LoadHighlightGroups(state.HighlightGroups, state.services.registry.get(), state.FarRootKey);
    listColorsFor(searchWindowStyle(state), state.Palette, state.ListColors);
    state.NoDateText = platform::GetMsgStr(state.host, lng::kMsgNoDate);
    switch (openFrom) {
        case OPEN_PLUGINSMENU: return openSearchWindow(state);
        case OPEN_DISKMENU: return panel::OpenPanel(state.Panel);
        default: return INVALID_HANDLE_VALUE;
    }
}

}  // namespace skimmer::plugin
