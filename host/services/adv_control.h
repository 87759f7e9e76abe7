// AdvControl: every ACTL_* command of the host is answered here. The ones that need the application
// (the palette, redrawing, waiting for a key) reach it through AdvControlHost, the one the
// application installed (service_hosts.h); without one the slot answers 0.
//
// Contract: never throws; a null or malformed parameter is FALSE, never a crash. A macro text that
// does not parse queues nothing and answers FALSE, with the reason in `error`. Settings this host
// does not have read as "all off" (0); there is one window, the panels.
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

// FAR's default word delimiters (Options/System "Word div"), as ACTL_GETSYSWORDDIV gives them.
inline constexpr const char* kWordDiv = "~!%^&*()+|{}:\"<>?`-=\\[];',./";

// What AdvControl needs of the application. Called on the UI thread only.
class AdvControlHost {
public:
    virtual ~AdvControlHost() = default;
    virtual MacroQueue& macros() = 0;
    // Palette entry `index` (0 … kFarPaletteSize - 1); none while there is no palette.
    virtual std::optional<BYTE> paletteColour(int index) const = 0;
    virtual void redrawAll() = 0;
    // Returns after the key `key` (any key for -1 or 0) or at the end of input.
    virtual void waitKey(INT_PTR key) = 0;
};

// The answer to `command` when it needs only the macro queue (ACTL_GETFARVERSION, ACTL_KEYMACRO,
// ACTL_POSTKEYSEQUENCE, ACTL_COMMIT, ACTL_GETFARHWND); none for any other command.
std::optional<INT_PTR> serviceAdvControl(int command, void* param, MacroQueue& queue, std::string& error) noexcept;

// The answer to any command: FAR's AdvControl.
INT_PTR answerAdvControl(int command, void* param, AdvControlHost& host, std::string& error) noexcept;

// FAR's slot: the answer with the installed host.
INT_PTR FARAPI AdvControl(int ModuleNumber, int Command, void* Param);

}  // namespace skimmer::host::services
