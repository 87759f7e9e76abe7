// What a panel (panel.h) may ask of the screen that shows it: the dialogs, running and opening
// files, errors, the command line's state, and the plug-in panels' life cycle (closing one,
// carrying out what a plug-in asked for during its call).
//
// Contract: the screen (manager.h) implements it and outlives every panel it shows; a panel calls
// it on the UI thread only, and only while the panel's side is the one the request is about.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skimmer::host::app {

struct PanelSide;

// The dialogs the screen needs from the dialog engine, injected so the screen can be tested alone.
struct ManagerDialogs {
    // A FAR menu: the chosen index or -1.
    std::function<int(const std::string& title, const std::vector<std::string>& items)> menu;
    // A FAR warning message with an Ok button.
    std::function<void(const std::string& title, const std::string& text)> error;
    // FAR's copy dialog: a title, a prompt, an edit line holding `initial`, buttons `button` and
    // Cancel. The edited line, or none when cancelled.
    std::function<std::optional<std::string>(const std::string& title, const std::string& prompt,
                                             const std::string& initial, const std::string& button)>
        copy;
    // Edits a file after F4 on a plug-in's item: FAR's EEC_* outcome. Empty: the host's Editor service.
    std::function<int(const std::string& path)> edit;
};

class PanelHost {
public:
    virtual ~PanelHost() = default;

    virtual const ManagerDialogs& dialogs() const = 0;
    virtual void showError(const std::string& text) = 0;
    virtual bool commandLineEmpty() const = 0;
    // The command line's prompt: the active file panel's folder.
    virtual std::string prompt() const = 0;
    // Runs `argv` with the terminal handed over, in the active file panel's folder, `echo` shown first.
    virtual void runInTerminal(const std::vector<std::string>& argv, const std::string& echo) = 0;
    virtual void openWithDefault(const std::string& target) = 0;
    // Re-reads the active (or the passive) panel, whatever its kind.
    virtual void updatePanel(bool passive) = 0;
    // The other side of the screen from `side`.
    virtual PanelSide& otherSide(const PanelSide& side) = 0;
    // Closes the plug-in panel `side` shows (see Manager::closePluginPanel).
    virtual bool closePluginPanel(const PanelSide& side, std::optional<std::string> dir, bool ask) = 0;
    // Carries out what plug-ins asked for during their calls.
    virtual void settle() = 0;
};

}  // namespace skimmer::host::app
