// The temporary panel as a side shows it (panel.h), over the side's file panel: Enter, Shift+Enter,
// F3 and F4 act on the real files; Ctrl+PgUp (or Ctrl+F10) puts the file panel on the current
// file's folder with the cursor on it; Enter on ".." or on a folder, Esc on an empty command line
// and setting the folder leave it. The file panel keeps its folder underneath.
//
// In safe mode ("+safe") F4, F5, F6, Shift+Enter and Enter on a file are refused with a message;
// folders, F3 and Ctrl+Enter still work. An item of text ("+any") goes onto the command line with
// Enter or Ctrl+Enter.
//
// Contract: acts on its side's panels only; closing the temporary panel leaves the file panel shown.
#pragma once

#include "host/app/panel.h"

namespace skimmer::host::app {

class PanelHost;
struct PanelSide;

class TempPanelView : public Panel {
public:
    TempPanelView(PanelSide& side, PanelHost& host) : side_(side), host_(host) {}

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
    void goToCurrentFile();
    void close();

    PanelSide& side_;
    PanelHost& host_;
};

}  // namespace skimmer::host::app
