#include "host/app/manager.h"

#include <unistd.h>

#include <cstdlib>

#include "host/app/display_name.h"
#include "host/app/host_services.h"
#include "host/app/temp_panel_list.h"
#include "host/app/typed_line.h"
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

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

Manager::Manager(TerminalConsole& console, ManagerDialogs dialogs) : console_(console), dialogs_(std::move(dialogs)) {
    labels_[2] = "View";
    labels_[3] = "Edit";
    labels_[9] = "Quit";
    labels_[10] = "Plugin";
    console_.setBackgroundPainter([this] { paint(); });
}

bool Manager::openFolder(const std::string& dir) {
    std::string error;
    if (files().open(dir, error)) {
        closeTempPanel();
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
    std::visit(Overloaded{
                   [this](const term::KeyEvent& e) { handleKey(e.code); },
                   [this](const term::MouseEvent& e) { mouse(e); },
                   [this](const term::PasteEvent& e) { commandLine_.insertPaste(e.text); },
                   [](const ui::ResizeEvent&) {},  // the next paint lays out for the new size
                   [](const ui::WakeEvent&) {},
                   [this](const ui::InputEnded&) { quit_ = true; },
               },
               event);
}

void Manager::handleKey(k::Code key) {
    if ((key & k::kModifierMask) != k::kShift) sweepState_.reset();
    if (sides_[active_].plugin && handlePluginPanelKey(key)) {
        settle();
        return;
    }
    switch (key) {
        case k::kAlt | k::F(1): driveMenu(0); return;
        case k::kAlt | k::F(2): driveMenu(1); return;
        case k::F(10): quit_ = true; return;
        case k::F(11): pluginsMenu(); return;
        case k::kAlt | k::kShift | k::F(9): configMenu(); return;
        case k::kCtrl | 'O': userScreen(); return;
        case k::kCtrl | 'R': updatePanel(); return;
        case k::TAB: switchPanels(); return;
        case k::kCtrl | 'U': swapPanels(); return;
        case k::ENTER: enter(); return;
        case k::SHIFTENTER: openCurrent(); return;
        case k::F(5):
        case k::F(6):
            if (sides_[1 - active_].plugin) copyToPlugin(key == k::F(6));
            return;
        case k::F(3): viewOrEditCurrent(false); return;
        case k::F(4): viewOrEditCurrent(true); return;
        case k::CTRLENTER:
            if (sides_[active_].plugin) {
                if (const PanelEntry* e = activePanel().currentEntry(); e && e->name != "..")
                    commandLine_.insert(os::shellQuote({e->name}) + " ");
            } else if (temp()) {
                if (const std::string path = currentPath(); !path.empty())
                    commandLine_.insert(os::shellQuote({path}) + " ");
            } else if (const PanelEntry* e = files().currentEntry(); e && e->name != "..") {
                commandLine_.insert(os::shellQuote({e->name}) + " ");
            }
            return;
        default: break;
    }
    if (temp() && handleTempPanelKey(key)) return;
    if (!temp() && key == (k::kCtrl | k::PGUP)) {
        // As in FAR: up to the parent folder, the cursor on the folder just left.
        std::string error;
        if (files().dir().has_relative_path() && !files().open(files().dir().parent_path(), error)) showError(error);
        return;
    }
    if (handlePanelKey(key)) return;
    commandLine_.handleKey(key);
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

// The keys that mean something else on the temporary panel; the rest go on as on the file panel.
bool Manager::handleTempPanelKey(k::Code key) {
    const bool lineEmpty = commandLine_.text().empty();
    switch (key) {
        case k::kCtrl | k::PGUP:
        case k::kCtrl | k::F(10):  // FAR's key for "position on the current file"
            goToCurrentFile();
            return true;
        case k::ESC:
            if (!lineEmpty) return false;  // Esc clears the line first
            closeTempPanel();
            return true;
        default: return false;
    }
}

std::string Manager::currentPath() const {
    if (sides_[active_].plugin) return {};  // a plug-in's items are not files of ours
    if (temp()) return temp()->currentPath();
    const PanelEntry* e = files().currentEntry();
    return e == nullptr || e->name == ".." ? std::string() : (files().dir() / e->name).string();
}

bool Manager::openTempPanel(const std::string& line) {
    if (!tempPanelPrefix_ || line.find(':') == std::string::npos) return false;
    std::string error;
    const std::optional<std::string> file = tempPanelCommand(line, tempPanelPrefix_(), error);
    if (!file) return false;
    if (!error.empty()) {
        showError(error);
        return true;
    }
    const std::string path = file->front() == '/' ? *file : (files().dir() / *file).string();
    auto panel = std::make_unique<TempPanel>();
    if (!panel->load(path, error)) {
        showError(error);
        return true;
    }
    // The temporary panel takes the side's place, as another plug-in's panel would.
    if (sides_[active_].plugin && !closePluginPanel(active_, std::nullopt, false)) return true;
    temp() = std::move(panel);
    return true;
}

// Enter on the temporary panel: ".." and folders go back to the file panel (the folder opened
// there); files run or open as on the file panel; a missing one is said.
void Manager::enterTempEntry() {
    const PanelEntry* e = temp()->currentEntry();
    if (e == nullptr) return;
    if (temp()->current() == 0) {
        closeTempPanel();
        return;
    }
    const std::string path = e->name;
    std::string error;
    if (e->isMissing) {
        showError(displayName(path) + " does not exist");
    } else if (e->isDir) {
        if (files().open(path, error)) closeTempPanel();
        else showError(error);
    } else if (e->isExecutable) {
        runInTerminal({path}, prompt() + os::shellQuote({path}));
    } else {
        openWithDefault(path);
    }
}

// Ctrl+PgUp: the file panel goes to the current file's folder with the cursor on it, and the
// temporary panel closes; on ".." it just closes.
void Manager::goToCurrentFile() {
    const std::string path = currentPath();
    if (path.empty()) {
        closeTempPanel();
        return;
    }
    const std::filesystem::path file(path);
    std::string error;
    if (!files().open(file.parent_path().empty() ? std::filesystem::path("/") : file.parent_path(), error)) {
        showError(error);
        return;
    }
    files().setCurrent(file.filename().string());
    closeTempPanel();
}

void Manager::enter() {
    if (!commandLine_.text().empty()) {
        runCommandLine();
        return;
    }
    if (sides_[active_].plugin) {
        enterPluginEntry();
        return;
    }
    if (temp()) {
        enterTempEntry();
        return;
    }
    const PanelEntry* e = files().currentEntry();
    if (e == nullptr) return;
    std::string error;
    if (files().enterCurrent(error)) return;
    if (!error.empty()) {
        showError(error);
        return;
    }
    const std::string path = (files().dir() / e->name).string();
    if (e->isExecutable) runInTerminal({path}, prompt() + os::shellQuote({"./" + e->name}));
    else openWithDefault(path);
}

// Shift+Enter: the current file (or folder) with its default application, as FAR opens it with the
// system's association.
void Manager::openCurrent() {
    if (!commandLine_.text().empty()) {
        runCommandLine();
        return;
    }
    if (temp() && temp()->currentEntry() && temp()->currentEntry()->isMissing) {
        showError(displayName(currentPath()) + " does not exist");
        return;
    }
    if (const std::string path = currentPath(); !path.empty()) openWithDefault(path);
}

void Manager::viewOrEditCurrent(bool edit) {
    const PanelEntry* e = activePanel().currentEntry();
    const std::string path = currentPath();
    if (e == nullptr || e->isDir || path.empty()) return;
    if (e->isMissing) {
        showError(displayName(path) + " does not exist");
        return;
    }
    if (edit) Editor(path.c_str(), nullptr, 0, 0, -1, -1, 0, 0, 0);
    else Viewer(path.c_str(), nullptr, 0, 0, -1, -1, 0);
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
    const os::CommandLineTarget target = classifyTypedLine(line, files().dir().string(), realPaths);
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
    launch.workingDirectory = files().dir().string();
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

void Manager::pluginsMenu() {
    if (plugins_ == nullptr) return;
    if (auto chosen = choosePluginItem("Plugin commands", plugins_->menuItems()))
        showPluginPanel(plugins_->open(*chosen));
}

void Manager::configMenu() {
    if (plugins_ == nullptr) return;
    if (auto chosen = choosePluginItem("Plugins configuration", plugins_->configItems())) plugins_->configure(*chosen);
}

std::optional<PluginMenuItem> Manager::choosePluginItem(const std::string& title,
                                                        const std::vector<PluginMenuItem>& items) {
    if (!dialogs_.menu) return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& i : items) texts.push_back(i.text);
    const int chosen = dialogs_.menu(title, texts);
    if (chosen < 0 || chosen >= static_cast<int>(items.size())) return std::nullopt;
    return items[static_cast<size_t>(chosen)];
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

bool Manager::setPanelDir(const std::string& dir, bool passive) {
    const int index = passive ? 1 - active_ : active_;
    PanelSide& side = sides_[index];
    if (side.plugin) return closePluginPanel(index, dir, false);
    std::string error;
    if (!side.files.open(dir, error)) return false;
    side.temp.reset();
    return true;
}

void Manager::updatePanel(bool passive) {
    PanelSide& side = sides_[passive ? 1 - active_ : active_];
    if (side.plugin) {
        if (!side.plugin->mayRefreshNow()) {
            side.plugin->pendingUpdate = true;
            return;
        }
        std::string error;
        if (!side.plugin->refresh(error)) showError(error);
        return;
    }
    if (side.temp) {
        side.temp->reload();
        return;
    }
    std::string error;
    if (!side.files.reload(error)) showError(error);
}

// Ctrl+U: the panels change places; the one the user works in stays the active one.
void Manager::swapPanels() {
    std::swap(sides_[0], sides_[1]);
    std::swap(sides_[0].area, sides_[1].area);  // areas belong to the screen, not the panels
    active_ = 1 - active_;
}

std::string Manager::prompt() const { return displayName(files().dir().string()) + ">"; }

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
        sides_[0].area = {0, 0, split - 1, h - 3};
        sides_[1].area = {split, 0, w - 1, h - 3};
        if (sides_[active_].shown().viewMode().fullScreen) {
            // A full-screen mode covers the other panel, which is laid out as not shown.
            sides_[active_].area = {0, 0, w - 1, h - 3};
            sides_[1 - active_].area = {};
            sides_[1 - active_].shown().draw(b, Rect{}, false);
            paintSide(b, active_);
        } else {
            for (int side = 0; side < 2; ++side) paintSide(b, side);
        }
    }
    const int lineY = h >= 2 ? h - 2 : 0;
    commandLine_.draw(b, lineY, prompt(), true);
    if (h >= 2) drawKeyBar(b, h - 1, keyBarLabels());
}

}  // namespace skimmer::host::app
