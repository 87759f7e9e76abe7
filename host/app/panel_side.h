// One side of the screen: a file panel, with a temporary panel shown over it while one is open,
// and a plug-in's panel shown over both while one is open; and the Panel (panel.h) that answers
// for whichever of them is shown.
//
// Contract: the side owns its panels; shown() is the one place that tells which kind is on top.
// A side never moves (the screen swaps sides by their owners), so the views it holds may refer to
// it.
#pragma once

#include <memory>

#include "host/app/file_panel.h"
#include "host/app/file_panel_view.h"
#include "host/app/plugin_panel.h"
#include "host/app/plugin_panel_view.h"
#include "host/app/temp_panel.h"
#include "host/app/temp_panel_view.h"

namespace skimmer::host::app {

class PanelHost;

struct PanelSide {
    explicit PanelSide(PanelHost& host) : fileView_(*this, host), tempView_(*this, host), pluginView_(*this, host) {}
    PanelSide(const PanelSide&) = delete;
    PanelSide& operator=(const PanelSide&) = delete;

    FilePanel files;
    std::unique_ptr<TempPanel> temp;
    std::unique_ptr<PluginPanel> plugin;
    Rect area;  // where the side was last drawn

    Panel& shown() {
        if (plugin) return pluginView_;
        if (temp) return tempView_;
        return fileView_;
    }
    const Panel& shown() const { return const_cast<PanelSide*>(this)->shown(); }

private:
    FilePanelView fileView_;
    TempPanelView tempView_;
    PluginPanelView pluginView_;
};

}  // namespace skimmer::host::app
