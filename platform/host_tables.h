// The host's service tables as the plug-in keeps them, and the small services all its code shares
// on top of them: language strings and the error box.
//
// Contract: HostTables holds copies made in SetStartupInfo — the plug-in never keeps a pointer
// into the host's own tables, and StartupInfo.FSF points at the copy held here. A host that
// passes a shorter table than ours gets the missing slots zeroed, and every service call here
// checks its slot first: a missing service answers as "nothing shown" (GetMsg: empty text,
// Message: -1). Nothing here throws.
#pragma once

#include <cstdint>
#include <string>

#include "far/plugin.h"

namespace skimmer::platform {

struct HostTables {
    PluginStartupInfo StartupInfo{};
    FarStandardFunctions StandardFunctions{};

    // Copies `info` (at most its StructSize bytes) and the table its FSF points to.
    void copyFrom(const PluginStartupInfo& info);
    int moduleNumber() const { return StartupInfo.ModuleNumber; }

    HostTables() = default;
    HostTables(const HostTables&) = delete;  // StartupInfo.FSF points into this object
    HostTables& operator=(const HostTables&) = delete;
};

// The text of message `Number` of the plug-in's language file; empty when the host has none.
std::string GetMsgStr(const HostTables& host, int Number);

// A warning box titled "Skimmer Error" whose one button is `Text`; returns 1000.
int32_t ShowErrorText(const HostTables& host, const std::string& Text);
// ShowErrorText("Error: " + the decimal Code); returns Code unchanged.
int32_t ShowErrorCode(const HostTables& host, int32_t Code);
// A warning box titled "Skimmer" with `Text` as its body (which the host wraps to fit) and an OK
// button: for notices too long to be a button, such as what happened to the settings file.
void ShowNoticeText(const HostTables& host, const std::string& Text);

}  // namespace skimmer::platform
