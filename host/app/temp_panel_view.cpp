#include "host/app/temp_panel_view.h"

#include <filesystem>

#include "host/app/display_name.h"
#include "host/app/entry_items.h"
#include "host/app/file_panel_view.h"
#include "host/app/panel_host.h"
#include "host/app/panel_side.h"
#include "os/desktop_exec.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

constexpr const char* kSafeRefusal =
    "The temporary panel is in safe mode (+safe): nothing is run, opened, edited or copied from it";

}  // namespace

PanelList& TempPanelView::list() { return *side_.temp; }

void TempPanelView::close() { side_.temp.reset(); }

// The keys that mean something else on the temporary panel; the rest go on as on the file panel.
bool TempPanelView::handleKey(k::Code key) {
    switch (key) {
        case k::F(4):
        case k::F(5):
        case k::F(6):
        case k::SHIFTENTER:
            if (!side_.temp->safe() || (key == k::SHIFTENTER && !host_.commandLineEmpty())) return false;
            host_.showError(kSafeRefusal);
            return true;
        case k::kCtrl | k::PGUP:
        case k::kCtrl | k::F(10):  // FAR's key for "position on the current file"
            goToCurrentFile();
            return true;
        case k::ESC:
            if (!host_.commandLineEmpty()) return false;  // Esc clears the line first
            close();
            return true;
        default: return false;
    }
}

// Enter: ".." and folders go back to the file panel (the folder opened there); files run or open
// as on the file panel (not in safe mode); a missing one is said; an item of text goes onto the
// command line, as FAR's Temporary Panel does with a "+any" line that is no file.
void TempPanelView::enter() {
    const PanelEntry* e = side_.temp->currentEntry();
    if (e == nullptr) return;
    if (side_.temp->current() == 0) {
        close();
        return;
    }
    const std::string path = e->name;
    std::string error;
    if (const std::string text = side_.temp->currentText(); !text.empty()) {
        host_.setCommandLine(text);
    } else if (e->isMissing) {
        host_.showError(displayName(path) + " does not exist");
    } else if (e->isDir) {
        if (side_.files.open(path, error)) close();
        else host_.showError(error);
    } else if (side_.temp->safe()) {
        host_.showError(kSafeRefusal);
    } else if (e->isExecutable) {
        host_.runInTerminal({path}, host_.prompt() + os::shellQuote({path}));
    } else {
        host_.openWithDefault(path);
    }
}

void TempPanelView::openCurrent() {
    const PanelEntry* e = side_.temp->currentEntry();
    if (e && e->isMissing) {
        host_.showError(displayName(currentPath()) + " does not exist");
        return;
    }
    if (const std::string path = currentPath(); !path.empty()) host_.openWithDefault(path);
}

std::string TempPanelView::currentPath() const { return side_.temp->currentPath(); }

std::string TempPanelView::commandLineName() const {
    const std::string text = side_.temp->currentText();
    return text.empty() ? currentPath() : text;
}

// Ctrl+PgUp: the file panel goes to the current file's folder with the cursor on it, and the
// temporary panel closes; on ".." it just closes.
void TempPanelView::goToCurrentFile() {
    const std::string path = currentPath();
    if (path.empty()) {
        close();
        return;
    }
    const std::filesystem::path file(path);
    std::string error;
    const std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path("/") : file.parent_path();
    if (!side_.files.open(folder, error)) {
        host_.showError(error);
        return;
    }
    side_.files.setCurrent(file.filename().string());
    close();
}

// The copies go from the file panel's folder underneath, as FAR's copy does.
void TempPanelView::copy(bool move) {
    if (PluginPanel* target = host_.otherSide(side_).shown().plugin()) copyToPlugin(host_, side_.files, *target, move);
}

void TempPanelView::refresh() { side_.temp->reload(); }

bool TempPanelView::setFolder(const std::string& dir) {
    std::string error;
    if (!side_.files.open(dir, error)) return false;
    close();
    return true;
}

void TempPanelView::labelKeys(KeyBarLabels& labels, const Panel& other) const { labelCopyKeys(labels, other); }

// Plug-ins see the temporary panel as FAR reports one: a plug-in's panel, in the file panel's folder.
void TempPanelView::describe(PanelInfo& info) {
    info.Plugin = TRUE;
    services::copyInfoString(info.CurDir, sizeof info.CurDir, side_.files.dir().string());
}

std::vector<PluginPanelItem> TempPanelView::items() { return entryItems(*side_.temp); }

}  // namespace skimmer::host::app
