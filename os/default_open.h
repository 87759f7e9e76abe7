// "Open this path or URL with its default application": the one call the plug-in makes for it.
//
// Contract:
// - Linux: the desktop's opener (os/shell_open.h, ShellOpener with its defaults): a file or URL
//   goes to xdg-open, an application entry starts from its Exec line, a terminal program comes
//   back as RunInTerminal for the caller to run in its own terminal.
// - Windows: the shell's default verb (ShellExecuteExW, SW_SHOWDEFAULT) on the text as given, the
//   owner window being FAR's; the shell shows no error box of its own (SEE_MASK_FLAG_NO_UI) and
//   the call returns once the program was started, never waiting for it. A failure comes back
//   with the system's text for it; RunInTerminal never comes back.
// - Either way no command interpreter sees the target: it is one argument, never a command line.
#pragma once

#include <string>
#include <string_view>

#include "os/desktop_exec.h"

namespace skimmer::os {

struct OpenResult {
    enum Status {
        Started,        // the handler or application runs detached
        Failed,         // `error` says why
        RunInTerminal,  // `command` must be run in our own terminal (Terminal=true; Linux only)
    } status = Failed;
    std::string error;
    ExecCommand command;      // for RunInTerminal
    bool noDisplay = false;   // Linux: neither DISPLAY nor WAYLAND_DISPLAY, a graphical handler may not show
};

// `ownerWindow` is FAR's window (AdvControl(ACTL_GETFARHWND)) or null; Linux has no use for it.
OpenResult openWithDefaultApplication(std::string_view target, void* ownerWindow);

}  // namespace skimmer::os
