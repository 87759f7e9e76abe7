// The file panel as a side shows it (panel.h): Enter opens folders and runs or opens files,
// Ctrl+PgUp goes up to the parent folder, F5/F6 copy to a plug-in's panel on the other side.
//
// Contract: acts on its side's file panel only; errors go to the host (never thrown).
#pragma once

#include "host/app/panel.h"

namespace skimmer::host::app {

class PanelHost;
struct PanelSide;

class FilePanelView : public Panel {
public:
    FilePanelView(PanelSide& side, PanelHost& host) : side_(side), host_(host) {}

    PanelList& list() override;
    bool handleKey(term::key::Code key) override;
    void enter() override;
    void openCurrent() override;
    std::string currentPath() const override;
    std::string commandLineName() const override;
    void copy(bool move) override;
    void refresh() override;
    bool setFolder(const std::string& dir) override;
    void labelKeys(KeyBarLabels& labels, const Panel& other) const override;
    void describe(PanelInfo& info) override;
    std::vector<PluginPanelItem> items() override;

private:
    PanelSide& side_;
    PanelHost& host_;
};

// The key bar of a panel beside a plug-in's panel: F5/F6 copy there.
void labelCopyKeys(KeyBarLabels& labels, const Panel& other);

}  // namespace skimmer::host::app
