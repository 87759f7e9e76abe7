// One side of the screen as the keys, the commands and Control see it, whatever kind of panel it
// shows: the file panel (a folder), the temporary panel (a list file's paths, over the file panel)
// or a plug-in's panel (over both). The screen (manager.h) keeps what every kind shares (layout,
// focus, command line, key bar) and hands the rest to the side's shown panel through this
// interface, so it never asks which kind it has.
//
// Contract:
// - A panel acts on its own side only; it reaches the screen through PanelHost (panel_host.h) and
//   is called on the UI thread only.
// - Errors are said to the user (PanelHost::showError), never thrown.
// - The implementations are stateless views over their side's panels (panel_side.h), which own
//   the entries; a view is valid while its kind is the one its side shows.
#pragma once

#include <string>
#include <vector>

#include "far/panel.h"
#include "host/app/key_bar.h"
#include "host/app/panel_list.h"
#include "host/term/key_codes.h"

namespace skimmer::host::app {

class PluginPanel;

// What Shift+F1 (add to archive) and Shift+F2 (extract from archive) say where FAR would open a
// file as a plug-in's panel (OpenFilePlugin), which this host does not do.
inline constexpr const char* kNoArchivePanels =
    "Archives open through a plug-in's OpenFilePlugin, which this host does not call: Shift+F1 adds "
    "to no archive here, and Shift+F2 extracts only on a plug-in panel that shows an archive";

class Panel {
public:
    virtual ~Panel() = default;

    // The entries, cursor and selection shown.
    virtual PanelList& list() = 0;
    const PanelList& list() const { return const_cast<Panel*>(this)->list(); }

    // The keys this kind answers itself, before the screen's common keys; true when used.
    virtual bool handleKey(term::key::Code key) = 0;
    // Enter and Shift+Enter with an empty command line.
    virtual void enter() = 0;
    virtual void openCurrent() = 0;
    // The current entry's whole path when it is a file of ours; empty for "..", none, or an item
    // that only the plug-in can read.
    virtual std::string currentPath() const = 0;
    // What Ctrl+Enter puts on the command line (before quoting); empty: nothing.
    virtual std::string commandLineName() const = 0;
    // F5/F6: copy (or move) the chosen entries to the other side, where that is offered.
    virtual void copy(bool move) = 0;
    // Ctrl+R and FCTL_UPDATEPANEL: read the entries again.
    virtual void refresh() = 0;
    // FCTL_SETPANELDIR and the drive menu's folders: show the file panel in `dir`.
    virtual bool setFolder(const std::string& dir) = 0;
    // Called after the view mode changed (Ctrl+0 … Ctrl+9, FCTL_SETVIEWMODE).
    virtual void viewModeChanged() {}
    // Draws into `area` (a plug-in may draw its panel itself).
    virtual void draw(term::CellBuffer& screen, const Rect& area, bool focused) { list().draw(screen, area, focused); }
    // The key bar's labels for this panel, given what the other side shows.
    virtual void labelKeys(KeyBarLabels& labels, const Panel& other) const = 0;

    // The plug-in's panel when this is one, else null: what copies to the other side go to.
    virtual PluginPanel* plugin() { return nullptr; }
    const PluginPanel* plugin() const { return const_cast<Panel*>(this)->plugin(); }

    // FCTL_GETPANELINFO: the kind's own fields of `info` (Plugin, CurDir, Flags) and, with
    // `items`, one item per entry, PPIF_SELECTED on the selected ones.
    virtual void describe(PanelInfo& info) = 0;
    virtual std::vector<PluginPanelItem> items() = 0;
};

}  // namespace skimmer::host::app
