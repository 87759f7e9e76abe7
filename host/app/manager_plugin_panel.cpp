// The manager's side of plug-in panels' lives: the drive menu that opens them, showing and closing
// them in the order FAR follows (FE_CLOSE before a close the user asked for, ClosePlugin last), and
// carrying out what a plug-in asked for during its call. Their keys are plugin_panel_view.h's.
#include <cstdlib>
#include <utility>

#include "host/app/manager.h"

namespace skimmer::host::app {
namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && *home == '/' ? home : "";
}

}  // namespace

Manager::~Manager() { closePluginPanels(); }

int Manager::sideOf(HANDLE handle) const {
    for (int s = 0; s < 2; ++s)
        if (sides_[s]->plugin && sides_[s]->plugin->handle() == handle) return s;
    return -1;
}

void Manager::showPluginPanel(std::unique_ptr<PluginPanel> panel, int side) {
    if (!panel) return;
    const int index = side < 0 ? active_ : side;
    PanelSide& s = *sides_[index];
    if (s.plugin) closePluginPanel(index, std::nullopt, false);
    s.temp.reset();
    s.plugin = std::move(panel);
    active_ = index;
    std::string error;
    if (!s.plugin->refresh(error)) showError(error);
    settle();
}

bool Manager::closePluginPanel(int side, std::optional<std::string> dir, bool ask) {
    return closePluginPanel(*sides_[side], std::move(dir), ask);
}

bool Manager::closePluginPanel(const PanelSide& side, std::optional<std::string> dir, bool ask) {
    PanelSide& s = *sides_[indexOf(side)];
    if (!s.plugin) return false;
    if (s.plugin->inCall()) {
        s.plugin->pendingClose = std::move(dir);
        return true;
    }
    if (ask && s.plugin->processEvent(FE_CLOSE, nullptr) && !s.plugin->failed()) return false;
    std::unique_ptr<PluginPanel> closing = std::move(s.plugin);
    closing->close();
    closing.reset();
    std::string error;
    if (dir && !s.files.open(*dir, error)) {
        showError(error);
        return false;
    }
    if (!dir && !s.files.reload(error)) showError(error);
    return true;
}

void Manager::closePluginPanels() {
    for (int s = 0; s < 2; ++s)
        if (sides_[s]->plugin) closePluginPanel(s, std::nullopt, false);
}

void Manager::settle() {
    for (int s = 0; s < 2; ++s) {
        PluginPanel* p = sides_[s]->plugin.get();
        if (p == nullptr || p->inCall()) continue;
        if (p->failed()) {
            sides_[s]->plugin.reset();  // its plug-in is disabled: ClosePlugin is not called
            continue;
        }
        if (p->pendingClose) {
            std::optional<std::string> dir = *p->pendingClose;
            p->pendingClose.reset();
            closePluginPanel(s, std::move(dir), false);
            continue;
        }
        if (p->pendingUpdate) {
            p->pendingUpdate = false;
            std::string error;
            if (!p->refresh(error)) showError(error);
        }
        if (const auto place = std::exchange(p->pendingRedraw, std::nullopt)) {
            p->moveTo(place->first);
            p->setTop(place->second);
            p->moveTo(place->first);
            repaint();
        }
    }
}

// Alt+F1 / Alt+F2: what the side can show. Choosing a folder shows the file panel there; choosing
// a plug-in's entry opens its panel on that side (and closes the one that was there).
void Manager::driveMenu(int side) {
    if (!dialogs_.menu) return;
    std::vector<std::string> texts{"/     the root folder"};
    const std::string home = homeFolder();
    if (!home.empty()) texts.push_back("~     " + home);
    const size_t folders = texts.size();
    const std::vector<PluginMenuItem> items = plugins_ ? plugins_->diskItems() : std::vector<PluginMenuItem>{};
    for (const PluginMenuItem& i : items)
        texts.push_back((i.hotKey >= 0 && i.hotKey <= 9 ? std::to_string(i.hotKey) : std::string(" ")) + "     " + i.text);
    const int chosen = dialogs_.menu(side == 0 ? "Left drive" : "Right drive", texts);
    if (chosen < 0 || static_cast<size_t>(chosen) >= texts.size()) return;
    active_ = side;
    if (static_cast<size_t>(chosen) < folders) {
        const std::string dir = chosen == 0 ? "/" : home;
        if (sides_[side]->plugin) closePluginPanel(side, dir, true);
        else setPanelDir(dir);
        return;
    }
    std::unique_ptr<PluginPanel> panel = plugins_->openDiskItem(items[static_cast<size_t>(chosen) - folders]);
    if (panel) showPluginPanel(std::move(panel), side);
}

}  // namespace skimmer::host::app
