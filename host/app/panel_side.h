// One side of the screen: a file panel, with a temporary panel shown over it while one is open,
// and a plug-in's panel shown over both while one is open; and the Panel (panel.h) that answers
// for whichever of them is shown.
//
// Contract: the side owns its panels; shown() is the one place that tells which kind is on top.
// A side never moves (the screen swaps sides by their owners), so the views it holds may refer to
// it. A plug-in's panel is closed (ClosePlugin) only here, and never while its plug-in is inside
// one of its calls: the close is then kept for settle(). Errors come back in `error`, never thrown.
#pragma once

#include <memory>
#include <optional>
#include <string>

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
    std::shared_ptr<TempPanel> temp;  // one of the screen's common panels (temp_panel_set.h)
    std::unique_ptr<PluginPanel> plugin;
    Rect area;  // where the side was last drawn

    // True when the side shows the plug-in panel `handle`.
    bool shows(HANDLE handle) const { return plugin && plugin->handle() == handle; }
    // Shows `panel` over the file panel (a temporary panel there is closed).
    void showPlugin(std::unique_ptr<PluginPanel> panel);
    // Closes the plug-in panel and shows the file panel, in `dir` when given (else re-read). With
    // `ask`, FE_CLOSE goes first and a TRUE answer keeps the panel. False when there was none, it
    // stays, or `dir` could not be opened.
    bool closePlugin(std::optional<std::string> dir, bool ask, std::string& error);
    // Carries out what the plug-in asked for during its calls, once none is running; drops a panel
    // whose plug-in failed. True when the screen must be repainted now (a cursor was placed).
    bool settle(std::string& error);

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
