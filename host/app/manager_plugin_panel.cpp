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
        if (sides_[s]->shows(handle)) return s;
    return -1;
}

void Manager::showPluginPanel(std::unique_ptr<PluginPanel> panel, int side) {
    if (!panel) return;
    const int index = side < 0 ? active_ : side;
    PanelSide& s = *sides_[index];
    closePluginPanel(index, std::nullopt, false);  // the one it replaces, if any
    s.showPlugin(std::move(panel));
    active_ = index;
    s.shown().refresh();
    settle();
}

bool Manager::closePluginPanel(int side, std::optional<std::string> dir, bool ask) {
    return closePluginPanel(*sides_[side], std::move(dir), ask);
}

bool Manager::closePluginPanel(const PanelSide& side, std::optional<std::string> dir, bool ask) {
    std::string error;
    const bool closed = sides_[indexOf(side)]->closePlugin(std::move(dir), ask, error);
    if (!error.empty()) showError(error);
    return closed;
}

void Manager::closePluginPanels() {
    for (auto& s : sides_) closePluginPanel(*s, std::nullopt, false);
}

void Manager::settle() {
    for (auto& s : sides_) {
        std::string error;
        const bool redraw = s->settle(error);
        if (!error.empty()) showError(error);
        if (redraw) repaint();
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
    const int chosen = dialogs_.menu(plainMenu(side == 0 ? "Left drive" : "Right drive", texts)).index;
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
