// Control: FAR's file panel and command line as plug-ins see them. One small handler per FCTL_*
// command, found through a table: it checks the parameter, keeps the arrays FCTL_GETPANELINFO hands
// out, and asks the application (ControlHost) for the rest. The plain commands address the panel
// of the plug-in that calls (or the active one) and the "another panel" ones the other panel; the
// host tells which of the two sides that is.
//
// Contract: never throws; a null parameter where one is needed, an unknown command, or no host is
// FALSE. The PanelItems and SelectedItems arrays stay valid until the next FCTL_GETPANELINFO (FAR
// reallocates them on every call, and so do we). UI thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "far/plugin.h"

namespace skimmer::host::services {

// What Control needs of the application. `passive`: the panel that is not the active one.
class ControlHost {
public:
    virtual ~ControlHost() = default;

    // Whether the commands of plug-in panel `plugin` (INVALID_HANDLE_VALUE: no panel) address the
    // passive panel as theirs.
    virtual bool addressesPassive(HANDLE plugin) = 0;

    // Every field of `info` but the item arrays and the selection count; a plug-in panel is asked
    // for its state now.
    virtual void describePanel(bool passive, PanelInfo& info) = 0;
    struct Items {
        std::vector<PluginPanelItem> items;  // in the order shown, PPIF_SELECTED on the selected ones
        std::vector<int> selected;           // indices into items
        int current = 0;
    };
    virtual Items panelItems(bool passive) = 0;
    virtual int selectedCount(bool passive) = 0;
    // False, nothing changed, when `selected` is not as long as the panel's list.
    virtual bool setSelection(bool passive, const std::vector<bool>& selected) = 0;

    virtual void updatePanel(bool passive, bool clearSelection) = 0;
    virtual bool setViewMode(bool passive, int mode) = 0;
    // An SM_* mode (or SM_DEFAULT), the order kept; false for any other number.
    virtual bool setSortMode(bool passive, int mode) = 0;
    virtual void setSortReverse(bool passive, bool reverse) = 0;
    // The cursor to `position` (none: stays), the screen repainted.
    virtual void redrawPanel(bool passive, const PanelRedrawInfo* position) = 0;
    // FCTL_CLOSEPLUGIN: the plug-in panel of that side closes, the file panel going to `dir`;
    // without a plug-in panel only the folder is set.
    virtual bool closePlugin(bool passive, const std::optional<std::string>& dir) = 0;
    virtual bool setPanelDir(bool passive, const std::string& dir) = 0;

    virtual std::string commandLine() = 0;
    virtual void setCommandLine(const std::string& text, bool insert) = 0;
    virtual int commandLinePos() = 0;
    virtual void setCommandLinePos(int column) = 0;

    virtual void repaint() = 0;
};

int FARAPI Control(HANDLE hPlugin, int Command, void* Param);

}  // namespace skimmer::host::services
