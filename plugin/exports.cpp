// The module's exported entry points. Each one runs the matching function of entry_points.h on
// the module's one state object and catches everything: no exception ever reaches the host.
// A failure is shown in the error box when the host's tables are there to show it.

#include <memory>
#include <utility>

#include "far/exports.h"
#include "os/clock.h"
#include "platform/host_tables.h"
#include "plugin/entry_points.h"
#include "plugin/guard.h"
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
