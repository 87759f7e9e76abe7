// The manager's side of plug-in panels: the drive menu that opens them, the keys that drive them,
// and closing them, each in the order FAR follows (ProcessKey first, FE_CLOSE before a close the
// user asked for, ClosePlugin last).
#include <cstdlib>
#include <utility>

#include "far/vk.h"
#include "host/app/manager.h"
#include "host/ui/menu_window.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

// The key as a panel's ProcessKey receives it: virtual-key code and PKF_* state; -1 when the key
// has no virtual-key code. Ctrl+\ is the one punctuation key FAR's panels act on.
int panelKeyOf(k::Code key) {
    if (k::baseOf(key) == '\\') return VK_OEM_5 | ((key & k::kCtrl) ? PKF_CONTROL << 16 : 0);
    return ui::breakKeyOf(static_cast<int>(key));
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && *home == '/' ? home : "";
}

}  // namespace

Manager::~Manager() { closePluginPanels(); }

int Manager::sideOf(HANDLE handle) const {
    for (int s = 0; s < 2; ++s)
        if (sides_[s].plugin && sides_[s].plugin->handle() == handle) return s;
    return -1;
}

void Manager::showPluginPanel(std::unique_ptr<PluginPanel> panel, int side) {
    if (!panel) return;
    const int index = side < 0 ? active_ : side;
    if (sides_[index].plugin) closePluginPanel(index, std::nullopt, false);
    sides_[index].temp.reset();
    sides_[index].plugin = std::move(panel);
    active_ = index;
    std::string error;
    if (!sides_[index].plugin->refresh(error)) showError(error);
    settle();
}

bool Manager::closePluginPanel(int side, std::optional<std::string> dir, bool ask) {
    PanelSide& s = sides_[side];
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
        if (sides_[s].plugin) closePluginPanel(s, std::nullopt, false);
}

void Manager::settle() {
    for (int s = 0; s < 2; ++s) {
        PluginPanel* p = sides_[s].plugin.get();
        if (p == nullptr || p->inCall()) continue;
        if (p->failed()) {
            sides_[s].plugin.reset();  // its plug-in is disabled: ClosePlugin is not called
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

// Every key reaches the plug-in first; what it leaves, the panel's own keys act on. True when the
// key was used here (the rest go on to the common keys and the command line).
bool Manager::handlePluginPanelKey(k::Code key) {
    PluginPanel& panel = *sides_[active_].plugin;
    if (const int code = panelKeyOf(key); code >= 0) {
        if (panel.processKey(code & 0xFFFF, static_cast<unsigned>(code) >> 16)) return true;
        if (panel.failed() || !sides_[active_].plugin) return true;
        if (panel.pendingClose) return true;
    }
    switch (key) {
        case k::kCtrl | k::PGUP: movePluginPanel(".."); return true;
        case k::kCtrl | '\\': movePluginPanel("\\"); return true;
        case k::kCtrl | 'R': updatePanel(); return true;
        default: return pluginFileKey(key);
    }
}

void Manager::enterPluginEntry() {
    const PanelEntry* e = activePanel().currentEntry();
    if (e == nullptr || !e->isDir) return;  // a file: nothing for the host to run
    const std::string name = e->name;       // a copy: listing the new folder replaces the entries
    movePluginPanel(name);
}

void Manager::movePluginPanel(const std::string& dir) {
    std::string error;
    switch (sides_[active_].plugin->setDirectory(dir, error)) {
        case PluginPanel::Move::LeftRoot: closePluginPanel(active_, std::nullopt, true); break;
        case PluginPanel::Move::Refused: break;
        case PluginPanel::Move::Done:
            if (!error.empty()) showError(error);
            break;
    }
    settle();
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
        if (sides_[side].plugin) closePluginPanel(side, dir, true);
        else setPanelDir(dir);
        return;
    }
    std::unique_ptr<PluginPanel> panel = plugins_->openDiskItem(items[static_cast<size_t>(chosen) - folders]);
    if (panel) showPluginPanel(std::move(panel), side);
}

void Manager::paintSide(term::CellBuffer& b, int side) {
    PanelSide& s = sides_[side];
    // FE_REDRAW: a plug-in that draws its panel itself answers TRUE. Not asked while the plug-in
    // is inside a call (a redraw it requested itself).
    if (s.plugin && !s.plugin->inCall() && s.plugin->processEvent(FE_REDRAW, nullptr)) return;
    s.shown().draw(b, s.area, side == active_);
}

KeyBarLabels Manager::keyBarLabels() const {
    KeyBarLabels labels = labels_;
    const PluginPanel* p = sides_[active_].plugin.get();
    // The operations a plug-in panel offers (F5/F6 also from a file panel beside one), then the
    // plug-in's own titles over them.
    if (p != nullptr || sides_[1 - active_].plugin) {
        labels[4] = "Copy";
        labels[5] = "RenMov";
    }
    if (p != nullptr) {
        labels[6] = "MkFold";
        labels[7] = "Delete";
        for (size_t i = 0; i < labels.size(); ++i)
            if (!p->keyBarTitles()[i].empty()) labels[i] = p->keyBarTitles()[i];
    }
    return labels;
}

}  // namespace skimmer::host::app
