// The plug-in's entry points as functions of its state. The exported C functions of the module
// (exports.cpp) call these with the module's one state object; tests call them with a state
// whose services are fakes.
//
// Contract: these functions may throw (allocation failures, a service's own errors); the exported
// wrappers catch everything. Each follows FAR's calling order: setStartupInfo first, exitFar last.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "far/plugin.h"
#include "plugin/plugin_state.h"

namespace skimmer::plugin {

void setStartupInfo(PluginState& state, const PluginStartupInfo& info);
void getPluginInfo(PluginState& state, PluginInfo& info);
HANDLE openPlugin(PluginState& state, int openFrom, INT_PTR item);
int configure(PluginState& state, int itemNumber);
void closePlugin(PluginState& state, HANDLE plugin);
void exitFar(PluginState& state);

// FarRootKey from the RootKey FAR passes: everything before its last backslash.
std::string farRootKeyFrom(const std::string& rootKey);
// The drive-menu number of "SKPLetter": the value of its leading decimal digits (0 without any).
int diskMenuNumberFrom(const std::string& letter);
// The four list-box colours for a "SKSStyle"; false for a style with no colours of its own.
bool listColorsFor(int32_t style, const std::vector<uint8_t>& palette, std::array<uint16_t, 4>& colors);

}  // namespace skimmer::plugin
