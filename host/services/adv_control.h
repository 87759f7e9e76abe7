// The AdvControl commands the host services answer: ACTL_GETFARVERSION, ACTL_KEYMACRO,
// ACTL_POSTKEYSEQUENCE, ACTL_COMMIT and ACTL_GETFARHWND. The app's AdvControl asks here first and
// answers the other commands itself.
//
// Contract: never throws; a null or malformed parameter is FALSE, never a crash. A macro text that
// does not parse queues nothing and answers FALSE, with the reason in `error`.
#pragma once

#include <optional>
#include <string>

#include "far/plugin.h"
#include "host/services/macro_queue.h"

namespace skimmer::host::services {

// The host implements the interface of FAR 1.70 build 2087 and reports that build, so plug-ins'
// version checks (panel.setpos needs build 2063 or later) see what the host really offers.
inline constexpr DWORD kHostFarBuild = 2087;
inline constexpr DWORD kHostFarVersion = MAKEFARVERSION(1, 70, kHostFarBuild);

// A non-null handle that stands for "FAR's window" (there is none on a terminal).
HANDLE hostWindowHandle();

// The answer to `command` when it is one of the five above; none for any other command.
std::optional<INT_PTR> serviceAdvControl(int command, void* param, MacroQueue& queue, std::string& error) noexcept;

}  // namespace skimmer::host::services
