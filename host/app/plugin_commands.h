// What the screen asks of the loaded plug-ins: the entries they announce for FAR's plug-ins menu
// (F11), configuration menu (Alt+Shift+F9) and drive menu (Alt+F1/Alt+F2), and running the one
// the user chose. A plug-in that answers with a panel hands it over as a PluginPanel.
//
// Contract: implementations call the plug-in's entry points with exceptions stopped at the
// boundary; a failing call is reported to the user and never ends the host.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/app/plugin_panel.h"

namespace skimmer::host::app {

struct PluginMenuItem {
    int plugin = 0;  // index among the loaded plug-ins
    int item = 0;    // index of the string in the plug-in's own list
    std::string text;
    int hotKey = -1;  // drive menu: the DiskMenuNumbers digit, -1 for none
};

class PluginCommands {
public:
    virtual ~PluginCommands() = default;
    virtual std::vector<PluginMenuItem> menuItems() = 0;    // PluginMenuStrings of every plug-in
    virtual std::vector<PluginMenuItem> configItems() = 0;  // PluginConfigStrings of every plug-in
    virtual std::vector<PluginMenuItem> diskItems() = 0;    // DiskMenuStrings of every plug-in
    // OpenPlugin(OPEN_PLUGINSMENU, item): the panel it opened, or null.
    virtual std::unique_ptr<PluginPanel> open(const PluginMenuItem& item) = 0;
    // OpenPlugin(OPEN_DISKMENU, item): the panel, or null (the user was told why).
    virtual std::unique_ptr<PluginPanel> openDiskItem(const PluginMenuItem& item) = 0;
    virtual void configure(const PluginMenuItem& item) = 0; // Configure(item)
};

}  // namespace skimmer::host::app
