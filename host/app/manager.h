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
//   folder, F11 is the plug-ins menu, Alt+Shift+F9 the plug-in configuration menu (F1 or Shift+F1
//   in either shows the plug-in's help), F10 quits.
//   Pasted text goes to the command line as text.
// - Keys and macros posted by a plug-in (ACTL_POSTKEYSEQUENCE, ACTL_KEYMACRO) run before the next
//   key from the terminal, once the plug-in has returned.
// - A command line runs through the user's $SHELL with the terminal handed over; a line that is
//   exactly one existing non-executable file, or a URL, is opened with its default application.
// - A line `<prefix>:[<options>] <list file>` (the Temporary Panel's prefix, read when such a line
//   runs) opens the temporary panel (temp_panel_view.h) over the active file panel, adds to it, or
//   offers the list as a menu, as the options say; `+0` … `+9` choose among FAR's ten common
//   panels, which keep their lists while closed (manager_temp_panel.cpp).
// - A plug-in's panel (plugin_panel_view.h), opened from the drive menu (Alt+F1 left, Alt+F2 right:
//   "/", the home folder, then every plug-in's disk-menu entries) or handed over by a plug-in, is
//   shown over that side's file panel; leaving its root closes it with ClosePlugin and shows the
//   file panel in its folder again.
// - What differs between the kinds of panel (their keys, Enter, F3 … F8, refreshing, what Control
//   reports) is the shown panel's own (panel.h); the screen keeps what they share: the layout, which
//   side is active, the command line, the key bar and the keys common to every panel.
// - Every panel selects as FAR's do and shows one of the ten view modes (manager_selection.cpp).
//   Requests the plug-in makes through Control while one of its entry points runs are carried out
//   when it has returned (settle()).
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/app/command_line.h"
#include "host/app/key_bar.h"
#include "host/app/panel_host.h"
#include "host/app/panel_side.h"
#include "host/app/plugin_commands.h"
#include "host/app/temp_panel_set.h"
#include "host/app/terminal_console.h"
#include "host/services/macro_queue.h"
#include "host/ui/screen_stack.h"

namespace skimmer::host::app {

class Manager : private PanelHost {
public:
    Manager(TerminalConsole& console, ManagerDialogs dialogs);

    ~Manager() override;
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
    void showError(const std::string& text) override;
    // Where the active (or the passive) panel was last drawn.
    const Rect& panelArea(bool passive = false) const { return side(passive).area; }

    // What Control (FCTL_*) works on.
    CommandLine& commandLine() { return commandLine_; }
    // The two panels side by side: the active one (the keys act on it) and the passive one. Each
    // side is a file panel, with a temporary panel shown over it while one is open.
    FilePanel& panel(bool passive = false) { return side(passive).files; }
    // What the active (or the passive) side shows, whatever its kind (panel.h).
    Panel& shownPanel(bool passive = false) { return side(passive).shown(); }
    PanelList& activePanel() { return shownPanel().list(); }
    PanelList& passivePanel() { return shownPanel(true).list(); }
    const TempPanel* tempPanel(bool passive = false) const { return side(passive).temp.get(); }
    PluginPanel* pluginPanel(bool passive = false) { return side(passive).plugin.get(); }
    // The side (0 left, 1 right) that shows the plug-in panel `handle`, or -1.
    int sideOf(HANDLE handle) const;
    // Shows `panel` on `side` (0, 1; -1: the active side) and makes that side active; a panel that
    // cannot list its folder is still shown, empty, after the error is said.
    void showPluginPanel(std::unique_ptr<PluginPanel> panel, int side = -1);
    // Closes the plug-in panel on `side` (ClosePlugin) and, when `dir` is given, opens it on the
    // file panel beneath. With `ask`, FE_CLOSE goes first and a TRUE answer keeps the panel.
    // While the plug-in is inside one of its calls the close waits for settle().
    bool closePluginPanel(int side, std::optional<std::string> dir, bool ask);
    bool closePluginPanel(const PanelSide& side, std::optional<std::string> dir, bool ask) override;
    // Every plug-in panel closed: before the plug-ins are unloaded.
    void closePluginPanels();
    // Carries out what plug-ins asked for during their calls; drops a panel whose plug-in failed.
    void settle() override;
    void driveMenu(int side);
    int activeSide() const { return active_; }  // 0 left, 1 right
    bool setPanelDir(const std::string& dir, bool passive = false);
    void updatePanel(bool passive = false) override;
    // Ctrl+0 … Ctrl+9 and FCTL_SETVIEWMODE: the panel's mode; a plug-in panel then hears
    // FE_CHANGEVIEWMODE with the mode's column types. False for a mode out of 0 … 9.
    bool setViewMode(int mode, bool passive = false);

    std::string prompt() const override;

private:
    // PanelHost: what the shown panels ask of the screen.
    const ManagerDialogs& dialogs() const override { return dialogs_; }
    bool commandLineEmpty() const override { return commandLine_.text().empty(); }
    void setCommandLine(const std::string& text) override { commandLine_.setText(text); }
    PanelSide& otherSide(const PanelSide& side) override { return *sides_[1 - indexOf(side)]; }
    void runInTerminal(const std::vector<std::string>& argv, const std::string& echo) override;
    void openWithDefault(const std::string& target) override;

    PanelSide& side(bool passive = false) { return *sides_[passive ? 1 - active_ : active_]; }
    const PanelSide& side(bool passive = false) const { return *sides_[passive ? 1 - active_ : active_]; }
    int indexOf(const PanelSide& side) const { return &side == sides_[0].get() ? 0 : 1; }
    bool commonKey(term::key::Code key);
    bool handlePanelKey(term::key::Code key);
    bool selectionKey(term::key::Code key);
    void selectByMasks(bool on);
    bool viewModeKey(term::key::Code key);
    bool sortKey(term::key::Code key);
    bool openTempPanel(const std::string& line);  // true when the line was a temporary panel command
    void tempPanelMenu(const std::string& listFile);
    bool tempPanelKey(term::key::Code key);
    void showTempPanel(std::shared_ptr<TempPanel> panel);
    void commonPanelsMenu();
    void enter();
    void openCurrent();
    void viewOrEditCurrent(bool edit);
    void insertCurrentName();
    void paintSide(term::CellBuffer& b, int side);
    KeyBarLabels keyBarLabels() const;
    void switchPanels() { active_ = 1 - active_; }
    void swapPanels();
    void runCommandLine();
    void userScreen();
    void pluginsMenu();
    void configMenu();
    std::optional<PluginMenuItem> choosePluginItem(const std::string& title, const std::vector<PluginMenuItem>& items,
                                                   const std::string& helpTopic);
    void mouse(const term::MouseEvent& m);
    bool runPosted();

    TerminalConsole& console_;
    ManagerDialogs dialogs_;
    PluginCommands* plugins_ = nullptr;
    // Each side owned apart, so that its panels' views may refer to it while the sides swap.
    std::array<std::unique_ptr<PanelSide>, 2> sides_;
    int active_ = 0;
    std::function<std::string()> tempPanelPrefix_;
    TempPanelSet tempPanels_;  // FAR's ten common temporary panels, shared by both sides
    CommandLine commandLine_;
    KeyBarLabels labels_;
    services::MacroQueue* macros_ = nullptr;
    ui::ScreenStack* stack_ = nullptr;
    bool quit_ = false;
    // The state a run of Shift+moves gives every entry it passes: that of its first entry, inverted.
    std::optional<bool> sweepState_;
    // The file masks Gray + and Gray - offer: the last ones used, FAR's "*.*" at first.
    std::string lastMasks_ = "*.*";
};

}  // namespace skimmer::host::app
