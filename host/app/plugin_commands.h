// What the screen asks of the loaded plug-ins: the entries they announce for FAR's plug-ins menu
// (F11) and configuration menu (Alt+Shift+F9), and running the one the user chose.
//
// Contract: implementations call the plug-in's entry points with exceptions stopped at the
// boundary; a failing call is reported to the user and never ends the host.
#pragma once

#include <string>
#include <vector>

namespace skimmer::host::app {

struct PluginMenuItem {
    int plugin = 0;  // index among the loaded plug-ins
    int item = 0;    // index of the string in the plug-in's own list
    std::string text;
};

class PluginCommands {
public:
    virtual ~PluginCommands() = default;
    virtual std::vector<PluginMenuItem> menuItems() = 0;    // PluginMenuStrings of every plug-in
    virtual std::vector<PluginMenuItem> configItems() = 0;  // PluginConfigStrings of every plug-in
    virtual void open(const PluginMenuItem& item) = 0;      // OpenPlugin(OPEN_PLUGINSMENU, item)
    virtual void configure(const PluginMenuItem& item) = 0; // Configure(item)
};

}  // namespace skimmer::host::app
