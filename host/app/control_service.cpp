// Control: FAR's file panel and command line as plug-ins see them. One small handler per FCTL_*
// command, found through a table. The plain commands act on the active panel and the "another
// panel" ones on the passive panel, as in FAR. While a temporary panel is open on a side it is the
// panel these commands see there (a plug-in panel, as FAR reports one), with the file panel's
// folder.
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/app/entry_items.h"
#include "host/app/host_context.h"
#include "host/app/host_services.h"
#include "host/app/manager.h"

namespace skimmer::host::app {
namespace {

constexpr size_t kCmdLineBuffer = 1024;  // FAR documents FCTL_GETCMDLINE's buffer as at least 1 KB

// The arrays handed out by the last FCTL_GETPANELINFO: FAR reallocates them on every call, and so
// do we. UI thread only.
std::vector<PluginPanelItem> gPanelItems;
std::vector<PluginPanelItem> gSelectedItems;

// The items FCTL_GETPANELINFO hands out, PPIF_SELECTED on the selected ones, and the selection:
// the selected items, or with none the current item without the flag (as FAR reports it).
void listItems(Panel& shown, PanelInfo& info) {
    const PanelList& panel = shown.list();
    gPanelItems = shown.items();
    gSelectedItems.clear();
    for (int i : panel.selectedIndices()) gSelectedItems.push_back(gPanelItems[static_cast<size_t>(i)]);
    if (gSelectedItems.empty() && !gPanelItems.empty()) {
        gSelectedItems.push_back(gPanelItems[static_cast<size_t>(panel.current())]);
        gSelectedItems.back().Flags &= ~PPIF_SELECTED;
    }
    info.PanelItems = gPanelItems.data();
    info.SelectedItems = gSelectedItems.data();
    info.SelectedItemsNumber = static_cast<int>(gSelectedItems.size());
}

int panelInfo(Manager& m, void* param, bool withItems, bool passive) {
    if (param == nullptr) return FALSE;
    auto* info = static_cast<PanelInfo*>(param);
    *info = PanelInfo{};
    Panel& shown = m.shownPanel(passive);
    shown.describe(*info);  // first: a plug-in is asked for its panel's state now
    PanelList& panel = shown.list();
    const Rect area = m.panelArea(passive);
    info->PanelType = PTYPE_FILEPANEL;
    info->PanelRect = RECT{area.x1, area.y1, area.x2, area.y2};
    info->ItemsNumber = static_cast<int>(panel.entries().size());
    info->CurrentItem = panel.current();
    info->TopPanelItem = panel.top();
    // A full-screen mode of the active panel covers the passive one.
    info->Visible = passive && m.activePanel().viewMode().fullScreen ? FALSE : TRUE;
    info->Focus = passive ? FALSE : TRUE;
    info->ViewMode = panel.viewModeIndex();
    const ViewMode mode = panel.viewMode();
    copyInfoString(info->ColumnTypes, sizeof info->ColumnTypes, columnTypesText(mode.columns));
    copyInfoString(info->ColumnWidths, sizeof info->ColumnWidths, columnWidthsText(mode.columns));
    info->SortMode = panel.sortOrder().mode;
    if (panel.sortOrder().reverse) info->Flags |= PFLAGS_REVERSESORTORDER;
    if (withItems) {
        listItems(shown, *info);
    } else {
        info->SelectedItemsNumber = std::max(panel.selectedCount(), panel.entries().empty() ? 0 : 1);
    }
    return TRUE;
}

// FCTL_SETSELECTION: the PPIF_SELECTED flags of a PanelInfo's items, index by index. A list of
// another length than the panel's was read before the panel changed: refused, nothing selected.
int setSelection(Manager& m, void* param, bool passive) {
    const auto* info = static_cast<const PanelInfo*>(param);
    PanelList& panel = passive ? m.passivePanel() : m.activePanel();
    if (info == nullptr || info->PanelItems == nullptr ||
        info->ItemsNumber != static_cast<int>(panel.entries().size()))
        return FALSE;
    for (int i = 0; i < info->ItemsNumber; ++i) panel.setSelected(i, (info->PanelItems[i].Flags & PPIF_SELECTED) != 0);
    return TRUE;
}

// FCTL_UPDATEPANEL: a NULL parameter clears the selection, any other keeps it.
int updatePanel(Manager& m, void* param, bool passive) {
    if (param == nullptr) (passive ? m.passivePanel() : m.activePanel()).clearSelection();
    m.updatePanel(passive);
    return TRUE;
}

int setViewMode(Manager& m, void* param, bool passive) {
    if (param == nullptr) return FALSE;
    const bool ok = m.setViewMode(*static_cast<const int*>(param), passive);
    m.repaint();
    return ok ? TRUE : FALSE;
}

// FCTL_SETSORTMODE (an SM_* mode, the order kept) and FCTL_SETSORTORDER (0 normal, 1 reverse).
int setSort(Manager& m, void* param, bool passive, bool orderOnly) {
    if (param == nullptr) return FALSE;
    const int value = *static_cast<const int*>(param);
    PanelList& panel = passive ? m.passivePanel() : m.activePanel();
    SortOrder order = panel.sortOrder();
    if (orderOnly) {
        order.reverse = value != 0;
    } else {
        if (value != SM_DEFAULT && !isSortMode(value)) return FALSE;
        order.mode = value;
    }
    panel.setSortOrder(order);
    m.repaint();
    return TRUE;
}

int getCmdLine(Manager& m, void* param) {
    if (param == nullptr) return FALSE;
    copyInfoString(static_cast<char*>(param), kCmdLineBuffer, m.commandLine().text());
    return TRUE;
}

int setCmdLine(Manager& m, void* param, bool insert) {
    if (param == nullptr) return FALSE;
    const std::string text = static_cast<const char*>(param);
    if (insert) m.commandLine().insert(text);
    else m.commandLine().setText(text);
    m.repaint();
    return TRUE;
}

int redrawPanel(Manager& m, void* param, bool passive) {
    if (param != nullptr) {
        const auto* r = static_cast<const PanelRedrawInfo*>(param);
        if (PluginPanel* plugin = m.pluginPanel(passive); plugin && plugin->pendingUpdate) {
            plugin->pendingRedraw = {r->CurrentItem, r->TopPanelItem};
            return TRUE;  // settle() re-reads the panel, then places the cursor
        }
        PanelList& panel = passive ? m.passivePanel() : m.activePanel();
        panel.moveTo(r->CurrentItem);
        panel.setTop(r->TopPanelItem);
        panel.moveTo(r->CurrentItem);
    }
    m.repaint();
    return TRUE;
}

// FCTL_CLOSEPLUGIN: the plug-in panel of that side closes (once the plug-in's call has returned),
// the file panel beneath going to `param` when given. Without a plug-in panel it sets the folder.
int closePlugin(Manager& m, void* param, bool passive) {
    const int side = passive ? 1 - m.activeSide() : m.activeSide();
    std::optional<std::string> dir;
    if (param != nullptr) dir = static_cast<const char*>(param);
    if (m.pluginPanel(passive) != nullptr) return m.closePluginPanel(side, dir, false) ? TRUE : FALSE;
    if (!dir) return TRUE;
    const bool ok = m.setPanelDir(*dir, passive);
    m.repaint();
    return ok ? TRUE : FALSE;
}

int setPanelDir(Manager& m, void* param, bool passive) {
    if (param == nullptr) return FALSE;
    const bool ok = m.setPanelDir(static_cast<const char*>(param), passive);
    m.repaint();
    return ok ? TRUE : FALSE;
}

using Handler = int (*)(Manager&, void*, bool);  // bool: hPlugin's panel is the passive one
const std::map<int, Handler>& handlers() {
    static const std::map<int, Handler> table = {
        {FCTL_GETPANELINFO, [](Manager& m, void* p, bool sw) { return panelInfo(m, p, true, sw); }},
        {FCTL_GETPANELSHORTINFO, [](Manager& m, void* p, bool sw) { return panelInfo(m, p, false, sw); }},
        {FCTL_GETANOTHERPANELINFO, [](Manager& m, void* p, bool sw) { return panelInfo(m, p, true, !sw); }},
        {FCTL_GETANOTHERPANELSHORTINFO, [](Manager& m, void* p, bool sw) { return panelInfo(m, p, false, !sw); }},
        {FCTL_GETCMDLINE, [](Manager& m, void* p, bool) { return getCmdLine(m, p); }},
        {FCTL_SETCMDLINE, [](Manager& m, void* p, bool) { return setCmdLine(m, p, false); }},
        {FCTL_INSERTCMDLINE, [](Manager& m, void* p, bool) { return setCmdLine(m, p, true); }},
        {FCTL_GETCMDLINEPOS,
         [](Manager& m, void* p, bool) {
             if (p == nullptr) return FALSE;
             *static_cast<int*>(p) = m.commandLine().cursorColumn();
             return TRUE;
         }},
        {FCTL_SETCMDLINEPOS,
         [](Manager& m, void* p, bool) {
             if (p == nullptr) return FALSE;
             m.commandLine().setCursorColumn(*static_cast<const int*>(p));
             return TRUE;
         }},
        {FCTL_UPDATEPANEL, [](Manager& m, void* p, bool sw) { return updatePanel(m, p, sw); }},
        {FCTL_UPDATEANOTHERPANEL, [](Manager& m, void* p, bool sw) { return updatePanel(m, p, !sw); }},
        {FCTL_SETSELECTION, [](Manager& m, void* p, bool sw) { return setSelection(m, p, sw); }},
        {FCTL_SETANOTHERSELECTION, [](Manager& m, void* p, bool sw) { return setSelection(m, p, !sw); }},
        {FCTL_SETVIEWMODE, [](Manager& m, void* p, bool sw) { return setViewMode(m, p, sw); }},
        {FCTL_SETANOTHERVIEWMODE, [](Manager& m, void* p, bool sw) { return setViewMode(m, p, !sw); }},
        {FCTL_SETSORTMODE, [](Manager& m, void* p, bool sw) { return setSort(m, p, sw, false); }},
        {FCTL_SETANOTHERSORTMODE, [](Manager& m, void* p, bool sw) { return setSort(m, p, !sw, false); }},
        {FCTL_SETSORTORDER, [](Manager& m, void* p, bool sw) { return setSort(m, p, sw, true); }},
        {FCTL_SETANOTHERSORTORDER, [](Manager& m, void* p, bool sw) { return setSort(m, p, !sw, true); }},
        {FCTL_REDRAWPANEL, [](Manager& m, void* p, bool sw) { return redrawPanel(m, p, sw); }},
        {FCTL_REDRAWANOTHERPANEL, [](Manager& m, void* p, bool sw) { return redrawPanel(m, p, !sw); }},
        {FCTL_SETPANELDIR, [](Manager& m, void* p, bool sw) { return setPanelDir(m, p, sw); }},
        {FCTL_SETANOTHERPANELDIR, [](Manager& m, void* p, bool sw) { return setPanelDir(m, p, !sw); }},
        {FCTL_CLOSEPLUGIN, closePlugin},
        {FCTL_CHECKPANELSEXIST, [](Manager&, void*, bool) { return TRUE; }},
        {FCTL_SETUSERSCREEN, [](Manager&, void*, bool) { return TRUE; }},
    };
    return table;
}

}  // namespace

int FARAPI Control(HANDLE hPlugin, int Command, void* Param) {
    try {
        HostContext* host = hostContext();
        if (host == nullptr || host->manager == nullptr) return FALSE;
        const auto it = handlers().find(Command);
        const int side = hPlugin == INVALID_HANDLE_VALUE ? -1 : host->manager->sideOf(hPlugin);
        const bool swapped = side >= 0 && side != host->manager->activeSide();
        return it == handlers().end() ? FALSE : it->second(*host->manager, Param, swapped);
    } catch (...) {
        return FALSE;
    }
}

}  // namespace skimmer::host::app
