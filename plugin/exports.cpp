// The module's exported entry points. Each one runs the matching function of entry_points.h on
// the module's one state object and catches everything: no exception ever reaches the host.
// A failure is shown in the error box when the host's tables are there to show it.

#include <memory>
#include <utility>

#include "far/exports.h"
#include "far/plugin.h"
#include "os/clock.h"
#include "platform/host_tables.h"
#include "plugin/entry_points.h"
#include "plugin/guard.h"
#include "panel/panel_entries.h"
#include "plugin/load_stamp.h"

namespace {

using skimmer::plugin::PluginState;

// Created while the library loads (the load stamp is the moment of loading) and destroyed when
// it is unloaded. Null only when even that failed; every entry point then does nothing.
std::unique_ptr<PluginState> makeState() noexcept {
    try {
        return std::make_unique<PluginState>(skimmer::plugin::loadStampFromOleDate(skimmer::os::oleNow()));
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<PluginState> g_state = makeState();

template <typename Result, typename Body>
Result guarded(Result fallback, Body&& body) noexcept {
    return skimmer::plugin::guardedCall(g_state.get(), fallback, std::forward<Body>(body));
}

}  // namespace

FAR_EXPORT void FARAPI SetStartupInfo(const PluginStartupInfo* Info) {
    if (!Info) return;
    guarded(0, [&](PluginState& s) {
        skimmer::plugin::setStartupInfo(s, *Info);
        return 0;
    });
}

FAR_EXPORT void FARAPI GetPluginInfo(PluginInfo* Info) {
    if (!Info) return;
    guarded(0, [&](PluginState& s) {
        skimmer::plugin::getPluginInfo(s, *Info);
        return 0;
    });
}

FAR_EXPORT HANDLE FARAPI OpenPlugin(int OpenFrom, INT_PTR Item) {
    return guarded(INVALID_HANDLE_VALUE, [&](PluginState& s) { return skimmer::plugin::openPlugin(s, OpenFrom, Item); });
}

FAR_EXPORT int FARAPI Configure(int ItemNumber) {
    return guarded(0, [&](PluginState& s) { return skimmer::plugin::configure(s, ItemNumber); });
}

FAR_EXPORT void FARAPI ClosePlugin(HANDLE hPlugin) {
    guarded(0, [&](PluginState& s) {
        skimmer::plugin::closePlugin(s, hPlugin);
        return 0;
    });
}

FAR_EXPORT void FARAPI ExitFAR() {
    guarded(0, [&](PluginState& s) {
        skimmer::plugin::exitFar(s);
        return 0;
    });
}

// ---- The search-folder panel: FAR drives it through these once OpenPlugin returned it. ----

namespace panel = skimmer::panel;

FAR_EXPORT void FARAPI GetOpenPluginInfo(HANDLE hPlugin, OpenPluginInfo* Info) {
    if (!Info) return;
    guarded(0, [&](PluginState& s) {
        panel::GetOpenPluginInfo(s.Panel, hPlugin, *Info);
        return 0;
    });
}

FAR_EXPORT int FARAPI GetFindData(HANDLE hPlugin, PluginPanelItem** pPanelItem, int* pItemsNumber, int OpMode) {
    return guarded(FALSE, [&](PluginState& s) { return panel::GetFindData(s.Panel, hPlugin, pPanelItem, pItemsNumber, OpMode); });
}

FAR_EXPORT void FARAPI FreeFindData(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber) {
    guarded(0, [&](PluginState& s) {
        panel::FreeFindData(s.Panel, hPlugin, PanelItem, ItemsNumber);
        return 0;
    });
}

FAR_EXPORT int FARAPI SetDirectory(HANDLE hPlugin, const char* Dir, int OpMode) {
    return guarded(FALSE, [&](PluginState& s) { return panel::SetDirectory(s.Panel, hPlugin, Dir, OpMode); });
}

FAR_EXPORT int FARAPI ProcessEvent(HANDLE hPlugin, int Event, void* Param) {
    return guarded(FALSE, [&](PluginState& s) { return panel::ProcessEvent(s.Panel, hPlugin, Event, Param); });
}

FAR_EXPORT int FARAPI GetFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int Move, char* DestPath,
                               int OpMode) {
    return guarded(-1, [&](PluginState& s) {
        return panel::GetFiles(s.Panel, hPlugin, PanelItem, ItemsNumber, Move, DestPath, OpMode);
    });
}

FAR_EXPORT int FARAPI PutFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int Move, int OpMode) {
    return guarded(-1, [&](PluginState& s) { return panel::PutFiles(s.Panel, hPlugin, PanelItem, ItemsNumber, Move, OpMode); });
}

FAR_EXPORT int FARAPI DeleteFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int OpMode) {
    return guarded(FALSE, [&](PluginState& s) { return panel::DeleteFiles(s.Panel, hPlugin, PanelItem, ItemsNumber, OpMode); });
}

FAR_EXPORT int FARAPI MakeDirectory(HANDLE hPlugin, char* Name, int OpMode) {
    return guarded(-1, [&](PluginState& s) { return panel::MakeDirectory(s.Panel, hPlugin, Name, OpMode); });
}

FAR_EXPORT int FARAPI ProcessKey(HANDLE hPlugin, int Key, unsigned int ControlState) {
    return guarded(FALSE, [&](PluginState& s) { return panel::ProcessKey(s.Panel, hPlugin, Key, ControlState); });
}

// The oldest FAR the module runs on: the 1.70 interface its headers declare (far/plugin.h). An
// older FAR refuses to load it instead of calling services its table lacks.
FAR_EXPORT int FARAPI GetMinFarVersion() { return static_cast<int>(FARMANAGERVERSION); }
