// Control's host (host/services/control.h) over the manager: the active and passive panels as FAR
// shows them, their view modes and sort orders, the command line. While a temporary or plug-in
// panel is open on a side it is the panel these commands see there, with the file panel's folder.
//
// Contract: UI thread only; holds a reference to the manager, which must outlive it.
#pragma once

#include "host/services/control.h"

namespace skimmer::host::app {

class Manager;

class ManagerControlHost : public services::ControlHost {
public:
    explicit ManagerControlHost(Manager& manager) : m_(manager) {}

    bool addressesPassive(HANDLE plugin) override;
    void describePanel(bool passive, PanelInfo& info) override;
    Items panelItems(bool passive) override;
    int selectedCount(bool passive) override;
    bool setSelection(bool passive, const std::vector<bool>& selected) override;
    void updatePanel(bool passive, bool clearSelection) override;
    bool setViewMode(bool passive, int mode) override;
    bool setSortMode(bool passive, int mode) override;
    void setSortReverse(bool passive, bool reverse) override;
    void redrawPanel(bool passive, const PanelRedrawInfo* position) override;
    bool closePlugin(bool passive, const std::optional<std::string>& dir) override;
    bool setPanelDir(bool passive, const std::string& dir) override;
    std::string commandLine() override;
    void setCommandLine(const std::string& text, bool insert) override;
    int commandLinePos() override;
    void setCommandLinePos(int column) override;
    void repaint() override;

private:
    Manager& m_;
};

}  // namespace skimmer::host::app
