#include "host/services/control.h"

#include <algorithm>
#include <map>

#include "host/service_guard.h"
#include "host/services/info_string.h"
#include "host/services/service_hosts.h"

namespace skimmer::host::services {
namespace {

constexpr size_t kCmdLineBuffer = 1024;  // FAR documents FCTL_GETCMDLINE's buffer as at least 1 KB

// The arrays handed out by the last FCTL_GETPANELINFO: FAR reallocates them on every call, and so
// do we. UI thread only.
std::vector<PluginPanelItem> gPanelItems;
std::vector<PluginPanelItem> gSelectedItems;

// The items FCTL_GETPANELINFO hands out, and the selection: the selected items, or with none the
// current item without the flag (as FAR reports it).
void listItems(ControlHost& host, bool passive, PanelInfo& info) {
    ControlHost::Items shown = host.panelItems(passive);
    gPanelItems = std::move(shown.items);
    gSelectedItems.clear();
    for (int i : shown.selected) gSelectedItems.push_back(gPanelItems[static_cast<size_t>(i)]);
    if (gSelectedItems.empty() && !gPanelItems.empty()) {
        gSelectedItems.push_back(gPanelItems[static_cast<size_t>(shown.current)]);
        gSelectedItems.back().Flags &= ~PPIF_SELECTED;
    }
    info.PanelItems = gPanelItems.data();
    info.SelectedItems = gSelectedItems.data();
    info.SelectedItemsNumber = static_cast<int>(gSelectedItems.size());
}

int panelInfo(ControlHost& host, void* param, bool withItems, bool passive) {
    if (param == nullptr) return FALSE;
    auto* info = static_cast<PanelInfo*>(param);
    *info = PanelInfo{};
    host.describePanel(passive, *info);
    if (withItems) {
        listItems(host, passive, *info);
    } else {
        info->SelectedItemsNumber = std::max(host.selectedCount(passive), info->ItemsNumber == 0 ? 0 : 1);
    }
    return TRUE;
}

// FCTL_SETSELECTION: the PPIF_SELECTED flags of a PanelInfo's items, index by index. A list of
// another length than the panel's was read before the panel changed: refused, nothing selected.
int setSelection(ControlHost& host, void* param, bool passive) {
    const auto* info = static_cast<const PanelInfo*>(param);
    if (info == nullptr || info->PanelItems == nullptr || info->ItemsNumber < 0) return FALSE;
    std::vector<bool> selected(static_cast<size_t>(info->ItemsNumber));
    for (int i = 0; i < info->ItemsNumber; ++i) selected[static_cast<size_t>(i)] = (info->PanelItems[i].Flags & PPIF_SELECTED) != 0;
    return host.setSelection(passive, selected) ? TRUE : FALSE;
}

// FCTL_UPDATEPANEL: a NULL parameter clears the selection, any other keeps it.
int updatePanel(ControlHost& host, void* param, bool passive) {
    host.updatePanel(passive, param == nullptr);
    return TRUE;
}

int setViewMode(ControlHost& host, void* param, bool passive) {
    if (param == nullptr) return FALSE;
    const bool ok = host.setViewMode(passive, *static_cast<const int*>(param));
    host.repaint();
    return ok ? TRUE : FALSE;
}

// FCTL_SETSORTMODE (an SM_* mode, the order kept) and FCTL_SETSORTORDER (0 normal, 1 reverse).
int setSort(ControlHost& host, void* param, bool passive, bool orderOnly) {
    if (param == nullptr) return FALSE;
    const int value = *static_cast<const int*>(param);
    if (orderOnly) host.setSortReverse(passive, value != 0);
    else if (!host.setSortMode(passive, value)) return FALSE;
    host.repaint();
    return TRUE;
}

int getCmdLine(ControlHost& host, void* param) {
    if (param == nullptr) return FALSE;
    copyInfoString(static_cast<char*>(param), kCmdLineBuffer, host.commandLine());
    return TRUE;
}

int setCmdLine(ControlHost& host, void* param, bool insert) {
    if (param == nullptr) return FALSE;
    host.setCommandLine(static_cast<const char*>(param), insert);
    host.repaint();
    return TRUE;
}

int getCmdLinePos(ControlHost& host, void* param) {
    if (param == nullptr) return FALSE;
    *static_cast<int*>(param) = host.commandLinePos();
    return TRUE;
}

int setCmdLinePos(ControlHost& host, void* param) {
    if (param == nullptr) return FALSE;
    host.setCommandLinePos(*static_cast<const int*>(param));
    return TRUE;
}

int redrawPanel(ControlHost& host, void* param, bool passive) {
    host.redrawPanel(passive, static_cast<const PanelRedrawInfo*>(param));
    return TRUE;
}

int closePlugin(ControlHost& host, void* param, bool passive) {
    std::optional<std::string> dir;
    if (param != nullptr) dir = static_cast<const char*>(param);
    return host.closePlugin(passive, dir) ? TRUE : FALSE;
}

int setPanelDir(ControlHost& host, void* param, bool passive) {
    if (param == nullptr) return FALSE;
    const bool ok = host.setPanelDir(passive, static_cast<const char*>(param));
    host.repaint();
    return ok ? TRUE : FALSE;
}

using Handler = int (*)(ControlHost&, void*, bool);  // bool: the caller's panel is the passive one
const std::map<int, Handler>& handlers() {
    using H = ControlHost;
    static const std::map<int, Handler> table = {
        {FCTL_GETPANELINFO, [](H& h, void* p, bool sw) { return panelInfo(h, p, true, sw); }},
        {FCTL_GETPANELSHORTINFO, [](H& h, void* p, bool sw) { return panelInfo(h, p, false, sw); }},
        {FCTL_GETANOTHERPANELINFO, [](H& h, void* p, bool sw) { return panelInfo(h, p, true, !sw); }},
        {FCTL_GETANOTHERPANELSHORTINFO, [](H& h, void* p, bool sw) { return panelInfo(h, p, false, !sw); }},
        {FCTL_GETCMDLINE, [](H& h, void* p, bool) { return getCmdLine(h, p); }},
        {FCTL_SETCMDLINE, [](H& h, void* p, bool) { return setCmdLine(h, p, false); }},
        {FCTL_INSERTCMDLINE, [](H& h, void* p, bool) { return setCmdLine(h, p, true); }},
        {FCTL_GETCMDLINEPOS, [](H& h, void* p, bool) { return getCmdLinePos(h, p); }},
        {FCTL_SETCMDLINEPOS, [](H& h, void* p, bool) { return setCmdLinePos(h, p); }},
        {FCTL_UPDATEPANEL, [](H& h, void* p, bool sw) { return updatePanel(h, p, sw); }},
        {FCTL_UPDATEANOTHERPANEL, [](H& h, void* p, bool sw) { return updatePanel(h, p, !sw); }},
        {FCTL_SETSELECTION, [](H& h, void* p, bool sw) { return setSelection(h, p, sw); }},
        {FCTL_SETANOTHERSELECTION, [](H& h, void* p, bool sw) { return setSelection(h, p, !sw); }},
        {FCTL_SETVIEWMODE, [](H& h, void* p, bool sw) { return setViewMode(h, p, sw); }},
        {FCTL_SETANOTHERVIEWMODE, [](H& h, void* p, bool sw) { return setViewMode(h, p, !sw); }},
        {FCTL_SETSORTMODE, [](H& h, void* p, bool sw) { return setSort(h, p, sw, false); }},
        {FCTL_SETANOTHERSORTMODE, [](H& h, void* p, bool sw) { return setSort(h, p, !sw, false); }},
        {FCTL_SETSORTORDER, [](H& h, void* p, bool sw) { return setSort(h, p, sw, true); }},
        {FCTL_SETANOTHERSORTORDER, [](H& h, void* p, bool sw) { return setSort(h, p, !sw, true); }},
        {FCTL_REDRAWPANEL, [](H& h, void* p, bool sw) { return redrawPanel(h, p, sw); }},
        {FCTL_REDRAWANOTHERPANEL, [](H& h, void* p, bool sw) { return redrawPanel(h, p, !sw); }},
        {FCTL_SETPANELDIR, [](H& h, void* p, bool sw) { return setPanelDir(h, p, sw); }},
        {FCTL_SETANOTHERPANELDIR, [](H& h, void* p, bool sw) { return setPanelDir(h, p, !sw); }},
        {FCTL_CLOSEPLUGIN, closePlugin},
        {FCTL_CHECKPANELSEXIST, [](H&, void*, bool) { return TRUE; }},
        {FCTL_SETUSERSCREEN, [](H&, void*, bool) { return TRUE; }},
    };
    return table;
}

}  // namespace

int FARAPI Control(HANDLE hPlugin, int Command, void* Param) {
    return guardedService<int>(FALSE, [&]() -> int {
        ControlHost* host = serviceHosts().control;
        if (host == nullptr) return FALSE;
        const auto it = handlers().find(Command);
        const bool passive = host->addressesPassive(hPlugin);
        return it == handlers().end() ? FALSE : it->second(*host, Param, passive);
    });
}

}  // namespace skimmer::host::services
