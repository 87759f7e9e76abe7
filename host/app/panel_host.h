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

#include "host/term/key_codes.h"
#include "host/ui/menu_window.h"

namespace skimmer::host::app {

struct PanelSide;

// One of the screen's own FAR menus: entries with FAR's check marks and separators (one of them
// `selected`: where the cursor starts), and the keys that end it on the entry under the cursor.
struct MenuOffer {
    std::string title;
    std::vector<ui::MenuEntry> entries;
    std::vector<term::key::Code> breakKeys;
};

struct MenuAnswer {
    MenuAnswer(int chosen = -1, int key = -1) : index(chosen), breakKey(key) {}
    int index;     // the chosen entry (with a break key: the one under the cursor); -1: none (Esc)
    int breakKey;  // the index in MenuOffer::breakKeys of the key that ended the menu, else -1
};

// A menu of plain entries, the cursor on the first.
inline MenuOffer plainMenu(std::string title, const std::vector<std::string>& texts) {
    MenuOffer offer{.title = std::move(title), .entries = {}, .breakKeys = {}};
    for (const std::string& text : texts) offer.entries.push_back(ui::MenuEntry{.text = text});
    if (!offer.entries.empty()) offer.entries.front().selected = true;
    return offer;
}

// The dialogs the screen needs from the dialog engine, injected so the screen can be tested alone.
struct ManagerDialogs {
    std::function<MenuAnswer(const MenuOffer& menu)> menu;
    // A FAR warning message with an Ok button.
    std::function<void(const std::string& title, const std::string& text)> error;
    // FAR's copy dialog: a title, a prompt, an edit line holding `initial`, buttons `button` and
    // Cancel. The edited line, or none when cancelled.
    std::function<std::optional<std::string>(const std::string& title, const std::string& prompt,
                                             const std::string& initial, const std::string& button)>
        copy;
    // FAR's Select / Deselect box (Gray +, Gray -): one edit line of file masks starting with
    // `initial`. The edited line, or none when cancelled.
    std::function<std::optional<std::string>(const std::string& title, const std::string& initial)> masks;
    // The help of plug-in `plugin` (its index, which is its ModuleNumber): `topic` of the .hlf
    // file beside its module, its Contents when the file has no such topic. False when none shown.
    std::function<bool(int plugin, const std::string& topic)> pluginHelp;
    // Edits a file after F4 on a plug-in's item: FAR's EEC_* outcome. Empty: the host's Editor service.
    std::function<int(const std::string& path)> edit;
};

class PanelHost {
public:
    virtual ~PanelHost() = default;

    virtual const ManagerDialogs& dialogs() const = 0;
    virtual void showError(const std::string& text) = 0;
    virtual bool commandLineEmpty() const = 0;
    // Replaces the command line's text (the cursor at its end).
    virtual void setCommandLine(const std::string& text) = 0;
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
