#include "host/app/manager.h"

#include <unistd.h>

#include <cstdlib>

#include "host/app/display_name.h"
#include "host/app/panel.h"
#include "host/app/typed_line.h"
#include "host/services/viewer_editor_slots.h"
#include "host/ui/ui_events.h"
#include "os/desktop_exec.h"
#include "os/process.h"
#include "os/shell_open.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

std::string userShell() {
    const char* shell = std::getenv("SHELL");
    return (shell != nullptr && *shell == '/') ? shell : "/bin/sh";
}

}  // namespace

Manager::Manager(TerminalConsole& console, ManagerDialogs dialogs)
    : console_(console),
      dialogs_(std::move(dialogs)),
      sides_{std::make_unique<PanelSide>(static_cast<PanelHost&>(*this)),
             std::make_unique<PanelSide>(static_cast<PanelHost&>(*this))} {
    labels_[2] = "View";
    labels_[3] = "Edit";
    labels_[9] = "Quit";
    labels_[10] = "Plugin";
    console_.setBackgroundPainter([this] { paint(); });
}

bool Manager::openFolder(const std::string& dir) {
    std::string error;
    if (side().files.open(dir, error)) {
        side().temp.reset();
        // A panel that never had a folder starts where the first one does.
        FilePanel& other = panel(true);
        if (other.dir().empty() && !other.open(dir, error)) showError(error);
        return true;
    }
    showError(error);
    return false;
}

void Manager::run() {
    paint();
    present();
    while (!quit_) {
        if (!runPosted()) handle(console_.next());
        if (quit_) break;
        paint();
        present();
    }
}

void Manager::handle(const ui::UiEvent& event) {
    std::visit(ui::Overloaded{
                   [this](const term::KeyEvent& e) { handleKey(e.code); },
                   [this](const term::MouseEvent& e) { mouse(e); },
                   [this](const term::PasteEvent& e) { commandLine_.insertPaste(e.text); },
                   [](const ui::ResizeEvent&) {},  // the next paint lays out for the new size
                   [](const ui::WakeEvent&) {},
                   [this](const ui::InputEnded&) { quit_ = true; },
               },
               event);
}

// The shown panel's own keys first (a plug-in's panel hears every key first), then the keys every
// panel shares, then the command line.
void Manager::handleKey(k::Code key) {
    if ((key & k::kModifierMask) != k::kShift) sweepState_.reset();
    if (side().shown().handleKey(key) || tempPanelKey(key) || commonKey(key) || handlePanelKey(key)) return;
    commandLine_.handleKey(key);
}

bool Manager::commonKey(k::Code key) {
    switch (key) {
        case k::kAlt | k::F(1): driveMenu(0); return true;
        case k::kAlt | k::F(2): driveMenu(1); return true;
        case k::F(10): quit_ = true; return true;
        case k::F(11): pluginsMenu(); return true;
        case k::kAlt | k::kShift | k::F(9): configMenu(); return true;
        case k::kCtrl | 'O': userScreen(); return true;
        case k::kCtrl | 'R': updatePanel(); return true;
        case k::TAB: switchPanels(); return true;
        case k::kCtrl | 'U': swapPanels(); return true;
        case k::ENTER: enter(); return true;
        case k::SHIFTENTER: openCurrent(); return true;
        case k::F(5): side().shown().copy(false); return true;
        case k::F(6): side().shown().copy(true); return true;
        case k::F(3): viewOrEditCurrent(false); return true;
        case k::F(4): viewOrEditCurrent(true); return true;
        case k::CTRLENTER: insertCurrentName(); return true;
        case k::kShift | k::F(1):
        case k::kShift | k::F(2): showError(kNoArchivePanels); return true;
        default: return false;
    }
}

// Ctrl+Enter: the current name (the whole path on the temporary panel) onto the command line.
void Manager::insertCurrentName() {
    if (const std::string name = side().shown().commandLineName(); !name.empty())
        commandLine_.insert(os::shellQuote({name}) + " ");
}

bool Manager::handlePanelKey(k::Code key) {
    const bool lineEmpty = commandLine_.text().empty();
    PanelList& panel = activePanel();
    const int page = std::max(1, panel.pageRows() - 1);
    switch (key) {
        case k::UP: panel.move(-1); return true;
        case k::DOWN: panel.move(1); return true;
        case k::PGUP: panel.move(-page); return true;
        case k::PGDN: panel.move(page); return true;
        case k::HOME: if (!lineEmpty) return false; panel.moveTo(0); return true;
        case k::END:
            if (!lineEmpty) return false;
            panel.moveTo(static_cast<int>(panel.entries().size()) - 1);
            return true;
        default: return selectionKey(key) || viewModeKey(key) || sortKey(key);
    }
}

void Manager::enter() {
    if (!commandLine_.text().empty()) runCommandLine();
    else side().shown().enter();
}

// Shift+Enter: the current file (or folder) with its default application, as FAR opens it with the
// system's association.
void Manager::openCurrent() {
    if (!commandLine_.text().empty()) runCommandLine();
    else side().shown().openCurrent();
}

void Manager::viewOrEditCurrent(bool edit) {
    const PanelEntry* e = activePanel().currentEntry();
    const std::string path = side().shown().currentPath();
    if (e == nullptr || e->isDir || path.empty()) return;
    if (e->isMissing) {
        showError(displayName(path) + " does not exist");
        return;
    }
    if (edit) services::Editor(path.c_str(), nullptr, 0, 0, -1, -1, 0, 0, 0);
    else services::Viewer(path.c_str(), nullptr, 0, 0, -1, -1, 0);
    updatePanel();
}

void Manager::runCommandLine() {
    const std::string echo = prompt() + commandLine_.text();
    const std::string line = commandLine_.take();
    // The line is gone from the command line once it runs: show that before anything the run may
    // raise (a message box, a program on the terminal), so that a message never stands over a
    // command that has already run, as when the keys that ran it were posted with no redraw.
    repaint();
    if (openTempPanel(line)) return;
    os::RealPathQuery realPaths;
    const os::CommandLineTarget target = classifyTypedLine(line, side().files.dir().string(), realPaths);
    switch (target.action) {
        case os::CommandLineAction::Command: runInTerminal({userShell(), "-c", line}, echo); break;
        case os::CommandLineAction::RunFile: runInTerminal({target.target}, echo); break;
        case os::CommandLineAction::OpenFile:
        case os::CommandLineAction::OpenUrl: openWithDefault(target.target); break;
    }
}

void Manager::runInTerminal(const std::vector<std::string>& argv, const std::string& echo) {
    console_.handOver();
    // The command is echoed on the user screen, as a shell would show it, with unsafe bytes escaped.
    const int tty = console_.terminalFd();
    console_.writeUserScreenLine(echo);
    os::LaunchSpec launch;
    launch.argv = argv;
    launch.workingDirectory = side().files.dir().string();
    launch.foregroundTerminal = tty;
    std::string error;
    if (auto child = os::Process::start(launch, error)) child->waitUntilEnded();
    console_.takeBack();
    if (!error.empty()) showError(error);
    updatePanel();
}

void Manager::openWithDefault(const std::string& target) {
    const os::OpenResult result = os::ShellOpener(os::ShellOpener::Options{}).open(target);
    if (result.status == os::OpenResult::RunInTerminal) {
        runInTerminal(result.command.argv, prompt() + os::shellQuote(result.command.argv));
    } else if (result.status == os::OpenResult::Failed) {
        showError(result.error);
    } else if (result.noDisplay) {
        // Started, but with no graphical display a desktop handler may stay invisible: say so
        // rather than leave the user waiting for a window.
        showError("No graphical display (DISPLAY, WAYLAND_DISPLAY): the application may not be visible");
    }
}

void Manager::userScreen() {
    console_.showUserScreen(true);
    while (!quit_) {
        const ui::UiEvent e = console_.next();
        if (std::holds_alternative<ui::InputEnded>(e)) quit_ = true;
        const auto* key = std::get_if<term::KeyEvent>(&e);
        if (key && (key->code == (k::kCtrl | 'O') || key->code == k::ESC)) break;
        if (key && key->code == k::F(10)) quit_ = true;
    }
    console_.showUserScreen(false);
}

// F11 and Alt+Shift+F9. F1 or Shift+F1 on an entry shows that plug-in's help: in the plug-ins menu
// its Contents, in the configuration menu its Config topic (else Contents), as FAR's context help
// in these menus does; the menu then comes back on the same entry.
void Manager::pluginsMenu() {
    if (plugins_ == nullptr) return;
    if (auto chosen = choosePluginItem("Plugin commands", plugins_->menuItems(), "Contents"))
        showPluginPanel(plugins_->open(*chosen));
}

void Manager::configMenu() {
    if (plugins_ == nullptr) return;
    if (auto chosen = choosePluginItem("Plugins configuration", plugins_->configItems(), "Config"))
        plugins_->configure(*chosen);
}

std::optional<PluginMenuItem> Manager::choosePluginItem(const std::string& title,
                                                        const std::vector<PluginMenuItem>& items,
                                                        const std::string& helpTopic) {
    if (!dialogs_.menu) return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& i : items) texts.push_back(i.text);
    MenuOffer menu = plainMenu(title, texts);
    menu.breakKeys = {k::F(1), k::kShift | k::F(1)};
    for (;;) {
        const MenuAnswer answer = dialogs_.menu(menu);
        if (answer.index < 0 || answer.index >= static_cast<int>(items.size())) return std::nullopt;
        const PluginMenuItem& item = items[static_cast<size_t>(answer.index)];
        if (answer.breakKey < 0) return item;
        if (dialogs_.pluginHelp) dialogs_.pluginHelp(item.plugin, helpTopic);
        for (size_t i = 0; i < menu.entries.size(); ++i) menu.entries[i].selected = static_cast<int>(i) == answer.index;
    }
}

void Manager::mouse(const term::MouseEvent& m) {
    if (m.flags == term::kMouseWheeled) {
        activePanel().move(m.wheel > 0 ? -1 : 1);
        return;
    }
    if ((m.flags & ~term::kDoubleClick) == 0 && (m.buttons & term::kLeftButton)) {
        // A click on the passive panel makes it the active one, as in FAR.
        if (passivePanel().indexAt(m.x, m.y) >= 0) switchPanels();
        const int index = activePanel().indexAt(m.x, m.y);
        if (index < 0) return;
        activePanel().moveTo(index);
        if (m.flags & term::kDoubleClick) enter();  // a double click is Enter, as in FAR
    }
}

bool Manager::runPosted() {
    if (macros_ == nullptr) return false;
    const std::optional<services::MacroAction> action = macros_->next();
    if (!action) return false;
    switch (action->kind) {
        case services::MacroAction::Key: handleKey(static_cast<k::Code>(action->key)); break;
        case services::MacroAction::Text: commandLine_.insert(action->text); break;
        case services::MacroAction::SetPanelPos:
            (action->panel == 1 ? passivePanel() : activePanel()).setCurrent(action->text);
            break;
    }
    return true;
}

void Manager::repaint() {
    if (stack_ != nullptr) stack_->resized();  // our background, then every open window over it
    else paint();
    present();
}

bool Manager::setPanelDir(const std::string& dir, bool passive) { return side(passive).shown().setFolder(dir); }

void Manager::updatePanel(bool passive) { side(passive).shown().refresh(); }

// Ctrl+U: the panels change places; the one the user works in stays the active one.
void Manager::swapPanels() {
    std::swap(sides_[0], sides_[1]);
    std::swap(sides_[0]->area, sides_[1]->area);  // areas belong to the screen, not the panels
    active_ = 1 - active_;
}

std::string Manager::prompt() const { return displayName(side().files.dir().string()) + ">"; }

void Manager::showError(const std::string& text) {
    if (dialogs_.error) dialogs_.error("Error", text);
}

void Manager::paint() {
    term::CellBuffer& b = console_.cells();
    const int w = b.width(), h = b.height();
    b.fill(0, 0, w - 1, h - 1, U' ', 0x07);
    b.setCursor(0, 0, false);
    if (h >= 3) {
        // FAR's halves: the left panel takes the odd column when the width is odd.
        const int split = (w + 1) / 2;
        sides_[0]->area = {0, 0, split - 1, h - 3};
        sides_[1]->area = {split, 0, w - 1, h - 3};
        if (activePanel().viewMode().fullScreen) {
            // A full-screen mode covers the other panel, which is laid out as not shown.
            side().area = {0, 0, w - 1, h - 3};
            side(true).area = {};
            passivePanel().draw(b, Rect{}, false);
            paintSide(b, active_);
        } else {
            for (int side = 0; side < 2; ++side) paintSide(b, side);
        }
    }
    const int lineY = h >= 2 ? h - 2 : 0;
    commandLine_.draw(b, lineY, prompt(), true);
    if (h >= 2) drawKeyBar(b, h - 1, keyBarLabels());
}

void Manager::paintSide(term::CellBuffer& b, int side) {
    PanelSide& s = *sides_[side];
    s.shown().draw(b, s.area, side == active_);
}

KeyBarLabels Manager::keyBarLabels() const {
    KeyBarLabels labels = labels_;
    side().shown().labelKeys(labels, side(true).shown());
    return labels;
}

}  // namespace skimmer::host::app
