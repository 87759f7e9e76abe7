#include "host/app/manager_control_host.h"

#include "host/app/manager.h"
#include "host/services/info_string.h"

namespace skimmer::host::app {
namespace {

PanelList& listOf(Manager& m, bool passive) { return passive ? m.passivePanel() : m.activePanel(); }

}  // namespace

bool ManagerControlHost::addressesPassive(HANDLE plugin) {
    const int side = plugin == INVALID_HANDLE_VALUE ? -1 : m_.sideOf(plugin);
    return side >= 0 && side != m_.activeSide();
}

void ManagerControlHost::describePanel(bool passive, PanelInfo& info) {
    Panel& shown = m_.shownPanel(passive);
    shown.describe(info);  // first: a plug-in is asked for its panel's state now
    PanelList& panel = shown.list();
    const Rect area = m_.panelArea(passive);
    info.PanelType = PTYPE_FILEPANEL;
    info.PanelRect = RECT{area.x1, area.y1, area.x2, area.y2};
    info.ItemsNumber = static_cast<int>(panel.entries().size());
    info.CurrentItem = panel.current();
    info.TopPanelItem = panel.top();
    // A full-screen mode of the active panel covers the passive one.
    info.Visible = passive && m_.activePanel().viewMode().fullScreen ? FALSE : TRUE;
    info.Focus = passive ? FALSE : TRUE;
    info.ViewMode = panel.viewModeIndex();
    const ViewMode mode = panel.viewMode();
    services::copyInfoString(info.ColumnTypes, sizeof info.ColumnTypes, columnTypesText(mode.columns));
    services::copyInfoString(info.ColumnWidths, sizeof info.ColumnWidths, columnWidthsText(mode.columns));
    info.SortMode = panel.sortOrder().mode;
    if (panel.sortOrder().reverse) info.Flags |= PFLAGS_REVERSESORTORDER;
    if (panel.sortOrder().selectedFirst) info.Flags |= PFLAGS_SELECTEDFIRST;
}

services::ControlHost::Items ManagerControlHost::panelItems(bool passive) {
    Panel& shown = m_.shownPanel(passive);
    const PanelList& panel = shown.list();
    return Items{shown.items(), panel.selectedIndices(), panel.current()};
}

int ManagerControlHost::selectedCount(bool passive) { return listOf(m_, passive).selectedCount(); }

bool ManagerControlHost::setSelection(bool passive, const std::vector<bool>& selected) {
    PanelList& panel = listOf(m_, passive);
    if (selected.size() != panel.entries().size()) return false;
    for (size_t i = 0; i < selected.size(); ++i) panel.setSelected(static_cast<int>(i), selected[i]);
    return true;
}

void ManagerControlHost::updatePanel(bool passive, bool clearSelection) {
    if (clearSelection) listOf(m_, passive).clearSelection();
    m_.updatePanel(passive);
}

bool ManagerControlHost::setViewMode(bool passive, int mode) { return m_.setViewMode(mode, passive); }

bool ManagerControlHost::setSortMode(bool passive, int mode) {
    if (mode != SM_DEFAULT && !isSortMode(mode)) return false;
    PanelList& panel = listOf(m_, passive);
    SortOrder order = panel.sortOrder();
    order.mode = mode;
    panel.setSortOrder(order);
    return true;
}

void ManagerControlHost::setSortReverse(bool passive, bool reverse) {
    PanelList& panel = listOf(m_, passive);
    SortOrder order = panel.sortOrder();
    order.reverse = reverse;
    panel.setSortOrder(order);
}

void ManagerControlHost::redrawPanel(bool passive, const PanelRedrawInfo* position) {
    if (position != nullptr) {
        if (PluginPanel* plugin = m_.pluginPanel(passive); plugin && plugin->pendingUpdate) {
            plugin->pendingRedraw = {position->CurrentItem, position->TopPanelItem};
            return;  // settle() re-reads the panel, then places the cursor
        }
        PanelList& panel = listOf(m_, passive);
        panel.moveTo(position->CurrentItem);
        panel.setTop(position->TopPanelItem);
        panel.moveTo(position->CurrentItem);
    }
    m_.repaint();
}

// The plug-in panel closes once the plug-in's call has returned.
bool ManagerControlHost::closePlugin(bool passive, const std::optional<std::string>& dir) {
    const int side = passive ? 1 - m_.activeSide() : m_.activeSide();
    if (m_.pluginPanel(passive) != nullptr) return m_.closePluginPanel(side, dir, false);
    if (!dir) return true;
    const bool ok = m_.setPanelDir(*dir, passive);
    m_.repaint();
    return ok;
}

bool ManagerControlHost::setPanelDir(bool passive, const std::string& dir) { return m_.setPanelDir(dir, passive); }

std::string ManagerControlHost::commandLine() { return m_.commandLine().text(); }

void ManagerControlHost::setCommandLine(const std::string& text, bool insert) {
    if (insert) m_.commandLine().insert(text);
    else m_.commandLine().setText(text);
}

int ManagerControlHost::commandLinePos() { return m_.commandLine().cursorColumn(); }
void ManagerControlHost::setCommandLinePos(int column) { m_.commandLine().setCursorColumn(column); }
void ManagerControlHost::repaint() { m_.repaint(); }

}  // namespace skimmer::host::app
