// The FAR-like screen: two file panels side by side (both start in the current folder), the
// command line with the active panel's folder as its prompt, and the key bar; and the keys that
// drive them.
//
// Contract:
// - Runs on the UI thread and owns what it draws; dialogs run on top of it through the dialog
//   engine, which asks it (through the console) to repaint the background after a resize.
// - Tab makes the other panel the active one (so does a click on it); Ctrl+U swaps the two
//   panels, the active one staying active on its new side; each keeps its own folder. Keys,
//   commands and the FCTL_* commands act on the active panel, FCTL_*ANOTHER* on the passive one.
// - Keys follow FAR: Up/Down/PgUp/PgDn/Home/End move in the panel, Enter enters a folder or runs
//   the command line, Ctrl+PgUp goes up to the parent folder, Shift+Enter opens the current file
//   with its default application, F3/F4 view/edit it in the user's pager/editor, Ctrl+Enter copies
//   the current name to the command line, Ctrl+O shows the user screen, Ctrl+R re-reads the
//   folder, F11 is the plug-ins menu, Alt+Shift+F9 the plug-in configuration menu, F10 quits.
//   Pasted text goes to the command line as text.
// - Keys and macros posted by a plug-in (ACTL_POSTKEYSEQUENCE, ACTL_KEYMACRO) run before the next
//   key from the terminal, once the plug-in has returned.
// - A command line runs through the user's $SHELL with the terminal handed over; a line that is
//   exactly one existing non-executable file, or a URL, is opened with its default application.
// - A line `<prefix>:<list file>` (the Temporary Panel's prefix, read when such a line runs) opens
//   the temporary panel over the active file panel instead: the panel keys act on it; Enter,
//   Shift+Enter, F3 and F4 act on the real files; Ctrl+PgUp (or Ctrl+F10) puts the file panel on
//   the current file's folder with the cursor on it; Enter on ".." or on a folder, Ctrl+PgUp on
//   "..", Esc on an empty line, and setting the panel's folder (FCTL_SETPANELDIR) leave it. The
//   file panel keeps its folder underneath and commands still run there.
// - A plug-in's panel (plugin_panel.h), opened from the drive menu (Alt+F1 left, Alt+F2 right:
//   "/", the home folder, then every plug-in's disk-menu entries) or handed over by a plug-in, is
//   shown over that side's file panel. Every key goes to its ProcessKey first (TRUE consumes it);
//   then Enter on a folder, Ctrl+PgUp and Ctrl+\ move through its folders with SetDirectory, and
//   leaving its root (after FE_CLOSE did not object) closes it with ClosePlugin and shows the file
//   panel in its folder again. F3/F4 view or edit an item fetched with GetFiles into a private
//   temporary folder that is removed afterwards (an edited file goes back with PutFiles first);
//   F5/F6 copy or move between a plug-in panel and a file panel (GetFiles / PutFiles) after FAR's
//   copy dialog; F7 MakeDirectory; F8 DeleteFiles (the plug-in confirms, as OpMode has no
//   OPM_SILENT). F5/F6/F8 take the selected entries when there are any, else the current one.
// - Every panel selects as FAR's do and shows one of the ten view modes (manager_selection.cpp). Requests the plug-in makes through Control
//   while one of its entry points runs are carried out when it has returned (settle()).
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/app/command_line.h"
#include "host/app/file_panel.h"
#include "host/app/key_bar.h"
#include "host/app/plugin_commands.h"
#include "host/app/plugin_panel.h"
#include "host/app/temp_panel.h"
#include "host/app/terminal_console.h"
#include "host/services/macro_queue.h"
#include "host/ui/screen_stack.h"

namespace skimmer::host::app {

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

class Manager {
public:
    Manager(TerminalConsole& console, ManagerDialogs dialogs);

    ~Manager();
    void setPlugins(PluginCommands* plugins) { plugins_ = plugins; }
    // Keys and macros posted by plug-ins, run before the next key from the terminal.
    void setMacroQueue(services::MacroQueue* macros) { macros_ = macros; }
    // The dialog engine's windows, repainted over the screen by repaint().
    void setScreenStack(ui::ScreenStack* stack) { stack_ = stack; }
    // Where the Temporary Panel's command prefix comes from (empty: no line opens the panel).
    void setTempPanelPrefix(std::function<std::string()> prefix) { tempPanelPrefix_ = std::move(prefix); }
    bool openFolder(const std::string& dir);

    // Runs until F10 or the end of input.
    void run();

    // One event, as run() handles it (for tests and for nested loops).
    void handle(const ui::UiEvent& event);
    void handleKey(term::key::Code key);

    void paint();    // everything under the dialogs, into the console's buffer
    void repaint();  // paint, then the open dialogs over it, then present
    void present() { console_.present(); }
    void showError(const std::string& text);
    // Where the active (or the passive) panel was last drawn.
    const Rect& panelArea(bool passive = false) const { return sides_[passive ? 1 - active_ : active_].area; }

    // What Control (FCTL_*) works on.
    CommandLine& commandLine() { return commandLine_; }
    // The two panels side by side: the active one (the keys act on it) and the passive one. Each
    // side is a file panel, with a temporary panel shown over it while one is open.
    FilePanel& panel(bool passive = false) { return sides_[passive ? 1 - active_ : active_].files; }
    PanelList& activePanel() { return sides_[active_].shown(); }
    PanelList& passivePanel() { return sides_[1 - active_].shown(); }
    const TempPanel* tempPanel(bool passive = false) const { return sides_[passive ? 1 - active_ : active_].temp.get(); }
    PluginPanel* pluginPanel(bool passive = false) { return sides_[passive ? 1 - active_ : active_].plugin.get(); }
    // The side (0 left, 1 right) that shows the plug-in panel `handle`, or -1.
    int sideOf(HANDLE handle) const;
    // Shows `panel` on `side` (0, 1; -1: the active side) and makes that side active; a panel that
    // cannot list its folder is still shown, empty, after the error is said.
    void showPluginPanel(std::unique_ptr<PluginPanel> panel, int side = -1);
    // Closes the plug-in panel on `side` (ClosePlugin) and, when `dir` is given, opens it on the
    // file panel beneath. With `ask`, FE_CLOSE goes first and a TRUE answer keeps the panel.
    // While the plug-in is inside one of its calls the close waits for settle().
    bool closePluginPanel(int side, std::optional<std::string> dir, bool ask);
    // Every plug-in panel closed: before the plug-ins are unloaded.
    void closePluginPanels();
    // Carries out what plug-ins asked for during their calls; drops a panel whose plug-in failed.
    void settle();
    void driveMenu(int side);
    int activeSide() const { return active_; }  // 0 left, 1 right
    bool setPanelDir(const std::string& dir, bool passive = false);
    void updatePanel(bool passive = false);
    // Ctrl+0 … Ctrl+9 and FCTL_SETVIEWMODE: the panel's mode; a plug-in panel then hears
    // FE_CHANGEVIEWMODE with the mode's column types. False for a mode out of 0 … 9.
    bool setViewMode(int mode, bool passive = false);

    std::string prompt() const;

private:
    bool handlePanelKey(term::key::Code key);
    bool selectionKey(term::key::Code key);
    bool viewModeKey(term::key::Code key);
    bool sortKey(term::key::Code key);
    bool handleTempPanelKey(term::key::Code key);
    std::string currentPath() const;  // the current entry's whole path; empty for ".." or none
    bool openTempPanel(const std::string& line);  // true when the line was a temporary panel command
    void enterTempEntry();
    void goToCurrentFile();
    void closeTempPanel() { temp().reset(); }
    bool handlePluginPanelKey(term::key::Code key);
    bool pluginFileKey(term::key::Code key);
    void viewPluginItem(bool edit);
    bool putBackEdited(const std::filesystem::path& folder, const std::filesystem::path& file);
    void makePluginDirectory();
    void deletePluginItem();
    void copyFromPlugin(bool move);
    void copyToPlugin(bool move);
    std::vector<PluginPanelItem> currentPluginItem();  // the current item, none on ".." 
    void enterPluginEntry();
    void movePluginPanel(const std::string& dir);
    void paintSide(term::CellBuffer& b, int side);
    KeyBarLabels keyBarLabels() const;
    void switchPanels() { active_ = 1 - active_; }
    void swapPanels();

    struct PanelSide {
        FilePanel files;
        std::unique_ptr<TempPanel> temp;
        std::unique_ptr<PluginPanel> plugin;
        Rect area;
        PanelList& shown() {
            if (plugin) return *plugin;
            return temp ? static_cast<PanelList&>(*temp) : files;
        }
    };
    FilePanel& files() { return sides_[active_].files; }
    const FilePanel& files() const { return sides_[active_].files; }
    std::unique_ptr<TempPanel>& temp() { return sides_[active_].temp; }
    const std::unique_ptr<TempPanel>& temp() const { return sides_[active_].temp; }
    void enter();
    void openCurrent();
    void viewOrEditCurrent(bool edit);
    void runCommandLine();
    void runInTerminal(const std::vector<std::string>& argv, const std::string& echo);
    void openWithDefault(const std::string& target);
    void userScreen();
    void pluginsMenu();
    void configMenu();
    std::optional<PluginMenuItem> choosePluginItem(const std::string& title, const std::vector<PluginMenuItem>& items);
    void mouse(const term::MouseEvent& m);
    bool runPosted();

    TerminalConsole& console_;
    ManagerDialogs dialogs_;
    PluginCommands* plugins_ = nullptr;
    std::array<PanelSide, 2> sides_;
    int active_ = 0;
    std::function<std::string()> tempPanelPrefix_;
    CommandLine commandLine_;
    KeyBarLabels labels_;
    services::MacroQueue* macros_ = nullptr;
    ui::ScreenStack* stack_ = nullptr;
    bool quit_ = false;
    // The state a run of Shift+moves gives every entry it passes: that of its first entry, inverted.
    std::optional<bool> sweepState_;
};

}  // namespace skimmer::host::app
