#include "host/app/panel_side.h"

#include <utility>

namespace skimmer::host::app {

void PanelSide::showPlugin(std::unique_ptr<PluginPanel> panel) {
    temp.reset();
    plugin = std::move(panel);
}

bool PanelSide::closePlugin(std::optional<std::string> dir, bool ask, std::string& error) {
    if (!plugin) return false;
    if (plugin->inCall()) {
        plugin->pendingClose = std::move(dir);
        return true;
    }
    if (ask && plugin->processEvent(FE_CLOSE, nullptr) && !plugin->failed()) return false;
    std::unique_ptr<PluginPanel> closing = std::move(plugin);
    closing->close();
    closing.reset();
    if (dir) return files.open(*dir, error);
    files.reload(error);
    return true;
}

bool PanelSide::settle(std::string& error) {
    PluginPanel* p = plugin.get();
    if (p == nullptr || p->inCall()) return false;
    if (p->failed()) {
        plugin.reset();  // its plug-in is disabled: ClosePlugin is not called
        return false;
    }
    if (p->pendingClose) {
        std::optional<std::string> dir = *p->pendingClose;
        p->pendingClose.reset();
        closePlugin(std::move(dir), false, error);
        return false;
    }
    if (p->pendingUpdate) {
        p->pendingUpdate = false;
        p->refresh(error);
    }
    const auto place = std::exchange(p->pendingRedraw, std::nullopt);
    if (!place) return false;
    p->moveTo(place->first);
    p->setTop(place->second);
    p->moveTo(place->first);
    return true;
}

}  // namespace skimmer::host::app
