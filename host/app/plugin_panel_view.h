// A plug-in's panel as a side shows it (panel.h), in the order FAR drives one: every key goes to
// its ProcessKey first (TRUE consumes it); then Enter on a folder, Ctrl+PgUp and Ctrl+\ move
// through its folders with SetDirectory, and leaving its root (after FE_CLOSE did not object)
// closes it. F3/F4 view or edit an item fetched with GetFiles into a private temporary folder that
// is removed afterwards (an edited file goes back with PutFiles first); F5/F6 copy or move to the
// file panel on the other side (GetFiles) after FAR's copy dialog; F7 MakeDirectory; F8
// DeleteFiles (the plug-in confirms, as OpMode has no OPM_SILENT). Shift+F2 ("extract from
// archive") on a panel that shows a host file's contents is F5, as in FAR. F5/F6/F8 take the selected
// entries when there are any, else the current one. Results follow FAR: 1 done, 0 failed, -1
// cancelled by the user (nothing more is said then).
//
// Contract: every call into the plug-in goes through PluginPanel (its guard stops exceptions);
// what the plug-in asked for during a call is carried out by PanelHost::settle() afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/app/panel.h"

namespace skimmer::host::app {

class FilePanel;
class PanelHost;
struct PanelSide;

class PluginPanelView : public Panel {
public:
    PluginPanelView(PanelSide& side, PanelHost& host) : side_(side), host_(host) {}

    PanelList& list() override;
    bool handleKey(term::key::Code key) override;
    void enter() override;
    void openCurrent() override {}  // a plug-in's items are not files of ours
    std::string currentPath() const override { return {}; }
    std::string commandLineName() const override;
    void copy(bool move) override;
    void refresh() override;
    bool setFolder(const std::string& dir) override;
    void viewModeChanged() override;
    void draw(term::CellBuffer& screen, const Rect& area, bool focused) override;
    void labelKeys(KeyBarLabels& labels, const Panel& other) const override;
    PluginPanel* plugin() override;
    void describe(PanelInfo& info) override;
    std::vector<PluginPanelItem> items() override;

private:
    PluginPanel& panel() const;
    bool ownKey(term::key::Code key);
    void move(const std::string& dir);
    std::vector<PluginPanelItem> currentItem() const;  // the current item, none on ".."
    void viewItem(bool edit);
    bool putBackEdited(const std::filesystem::path& folder, const std::filesystem::path& file);
    void makeDirectory();
    void deleteItems();
    void extract();

    PanelSide& side_;
    PanelHost& host_;
};

// F5/F6 on a file panel whose other side is a plug-in's panel: FAR's copy dialog names that
// panel, then PutFiles with the names relative to `here`'s folder, the current folder meanwhile.
void copyToPlugin(PanelHost& host, FilePanel& here, PluginPanel& target, bool move);

}  // namespace skimmer::host::app
