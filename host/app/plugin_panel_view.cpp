// The keys that drive a plug-in's panel, its folders, refreshing it, and what Control reports of
// it, each in the order FAR follows (ProcessKey first, FE_CLOSE before a close the user asked for).
// The file operations are in plugin_panel_files.cpp.
#include "host/app/plugin_panel_view.h"

#include "far/vk.h"
#include "host/app/entry_items.h"
#include "host/app/panel_host.h"
#include "host/app/panel_side.h"
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

}  // namespace

PluginPanel& PluginPanelView::panel() const { return *side_.plugin; }
PanelList& PluginPanelView::list() { return panel(); }
PluginPanel* PluginPanelView::plugin() { return side_.plugin.get(); }

// Every key reaches the plug-in first; what it leaves, the panel's own keys act on. A key used
// here is followed by settle() (the rest go on to the common keys and the command line).
bool PluginPanelView::handleKey(k::Code key) {
    if (!ownKey(key)) return false;
    host_.settle();
    return true;
}

bool PluginPanelView::ownKey(k::Code key) {
    PluginPanel& p = panel();
    if (const int code = panelKeyOf(key); code >= 0) {
        if (p.processKey(code & 0xFFFF, static_cast<unsigned>(code) >> 16)) return true;
        if (p.failed() || !side_.plugin) return true;
        if (p.pendingClose) return true;
    }
    switch (key) {
        case k::kCtrl | k::PGUP: move(".."); return true;
        case k::kCtrl | '\\': move("\\"); return true;
        case k::kCtrl | 'R': host_.updatePanel(false); return true;
        case k::F(3): viewItem(false); return true;
        case k::F(4): viewItem(true); return true;
        case k::F(5): copy(false); return true;
        case k::F(6): copy(true); return true;
        case k::F(7): makeDirectory(); return true;
        case k::F(8): deleteItems(); return true;
        case k::kShift | k::F(2): extract(); return true;
        default: return false;
    }
}

void PluginPanelView::enter() {
    const PanelEntry* e = panel().currentEntry();
    if (e == nullptr || !e->isDir) return;  // a file: nothing for the host to run
    const std::string name = e->name;       // a copy: listing the new folder replaces the entries
    move(name);
}

void PluginPanelView::move(const std::string& dir) {
    std::string error;
    switch (panel().setDirectory(dir, error)) {
        case PluginPanel::Move::LeftRoot: host_.closePluginPanel(side_, std::nullopt, true); break;
        case PluginPanel::Move::Refused: break;
        case PluginPanel::Move::Done:
            if (!error.empty()) host_.showError(error);
            break;
    }
    host_.settle();
}

std::string PluginPanelView::commandLineName() const {
    const PanelEntry* e = panel().currentEntry();
    return e == nullptr || e->name == ".." ? std::string() : e->name;
}

// Inside one of the plug-in's calls that holds its items, the re-read waits for settle().
void PluginPanelView::refresh() {
    PluginPanel& p = panel();
    if (!p.mayRefreshNow()) {
        p.pendingUpdate = true;
        return;
    }
    std::string error;
    if (!p.refresh(error)) host_.showError(error);
}

bool PluginPanelView::setFolder(const std::string& dir) { return host_.closePluginPanel(side_, dir, false); }

// FAR tells the plug-in which columns it now shows, so that it can fill them.
void PluginPanelView::viewModeChanged() {
    PluginPanel& p = panel();
    if (p.inCall()) return;
    std::string types = columnTypesText(p.viewMode().columns);
    p.processEvent(FE_CHANGEVIEWMODE, types.data());
    host_.settle();
}

// FE_REDRAW: a plug-in that draws its panel itself answers TRUE. Not asked while the plug-in is
// inside a call (a redraw it requested itself).
void PluginPanelView::draw(term::CellBuffer& screen, const Rect& area, bool focused) {
    PluginPanel& p = panel();
    if (!p.inCall() && p.processEvent(FE_REDRAW, nullptr)) return;
    p.draw(screen, area, focused);
}

// The operations a plug-in panel offers, then the plug-in's own titles over them.
void PluginPanelView::labelKeys(KeyBarLabels& labels, const Panel&) const {
    labels[4] = "Copy";
    labels[5] = "RenMov";
    labels[6] = "MkFold";
    labels[7] = "Delete";
    const auto& titles = panel().keyBarTitles();
    for (size_t i = 0; i < labels.size(); ++i)
        if (!titles[i].empty()) labels[i] = titles[i];
}

void PluginPanelView::describe(PanelInfo& info) {
    PluginPanel& p = panel();
    if (!p.inCall()) p.readInfo();  // FAR asks the plug-in, too
    info.Plugin = TRUE;
    services::copyInfoString(info.CurDir, sizeof info.CurDir, p.curDir());
    if (p.flags() & OPIF_REALNAMES) info.Flags |= PFLAGS_REALNAMES;
    if (p.useHighlighting()) info.Flags |= PFLAGS_HIGHLIGHT;
}

std::vector<PluginPanelItem> PluginPanelView::items() { return panel().items(); }

}  // namespace skimmer::host::app
