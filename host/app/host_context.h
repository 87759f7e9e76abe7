// The application objects that FAR's services work on, as the app hands them to its service hosts
// (app_service_hosts.h).
//
// Contract: the context does not own what it points to; a null member leaves the slots that need
// it giving FAR's failure answer.
#pragma once

namespace skimmer::host::ui {
class UiContext;
}
namespace skimmer::host::services {
class MacroQueue;
}

namespace skimmer::host::app {

class TerminalConsole;
class Manager;
class PluginSet;

struct HostContext {
    TerminalConsole* console = nullptr;
    Manager* manager = nullptr;
    services::MacroQueue* macros = nullptr;
    ui::UiContext* ui = nullptr;
    PluginSet* plugins = nullptr;
};

}  // namespace skimmer::host::app
