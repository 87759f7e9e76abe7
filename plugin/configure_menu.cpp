#include <cstring>

#include "lng/messages.h"
#include "os/utf8.h"
#include "plugin/entry_points.h"

namespace skimmer::plugin {

namespace {

// Copies `text` into a FAR menu item, cut at a character boundary so that no UTF-8 sequence is split.
void setItemText(FarMenuItem& item, const std::string& text) {
    const size_t length = os::utf8CutPoint(text, sizeof item.Text - 1);
    std::memcpy(item.Text, text.data(), length);
    item.Text[length] = '\0';
}

std::string engineName(const PluginState& state) {
    config::TConfigValue engine = config::TConfigValue::integer(0);
    config::getConfigValue(state.PluginConfig, "ESKSSearchEngine", engine);
    return engine.IntValue == 0 ? "WDS" : "Locate32";
}

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
    // The engine settings, search window settings, panel settings and About box open from here
    // once those dialogs exist; until then every choice, like Escape, returns to FAR.
    (void)chosen;
    return 0;
}

}  // namespace skimmer::plugin
