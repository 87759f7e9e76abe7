// The application objects that FAR's services work on. FAR's service table carries no context
// pointer, so the app installs one context for the process before it loads any plug-in and
// removes it after the last one is unloaded.
//
// Contract: services read the context on the UI thread only (Control, Text, SaveScreen and the
// others are not thread-safe in FAR either); with no context installed they give FAR's failure
// answer. The context does not own what it points to.
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

void installHostContext(HostContext* context);
HostContext* hostContext();

}  // namespace skimmer::host::app
