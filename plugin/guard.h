// The wall between the plug-in and its host: runs one entry point's body and turns anything it
// throws into the entry point's fallback result plus a line in the error box. Nothing thrown
// inside ever reaches the host (which could not unwind through its own frames).
#pragma once

#include <exception>
#include <string>

#include "platform/host_tables.h"
#include "plugin/plugin_state.h"

namespace skimmer::plugin {

inline void reportFailure(PluginState& state, const char* what) noexcept {
    try {
        platform::ShowErrorText(state.host, std::string("Skimmer: ") + what);
    } catch (...) {
        // Not even the report could be made: the fallback result is all the host learns.
    }
}

// `state` null (the module could not even set itself up) gives the fallback at once.
template <typename Result, typename Body>
Result guardedCall(PluginState* state, Result fallback, Body&& body) noexcept {
    if (!state) return fallback;
    try {
        return body(*state);
    } catch (const std::exception& e) {
        reportFailure(*state, e.what());
    } catch (...) {
        reportFailure(*state, "unexpected failure");
    }
    return fallback;
}

}  // namespace skimmer::plugin
