#include "host/app/file_panel_view.h"

#include "host/app/entry_items.h"
#include "host/app/panel_host.h"
#include "host/app/panel_side.h"
#include "os/desktop_exec.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

}  // namespace

PanelList& FilePanelView::list() { return side_.files; }

bool FilePanelView::handleKey(k::Code key) {
    if (key != (k::kCtrl | k::PGUP)) return false;
    // As in FAR: up to the parent folder, the cursor on the folder just left.
    FilePanel& files = side_.files;
    std::string error;
    if (files.dir().has_relative_path() && !files.open(files.dir().parent_path(), error)) host_.showError(error);
    return true;
}

void FilePanelView::enter() {
    FilePanel& files = side_.files;
    const PanelEntry* e = files.currentEntry();
    if (e == nullptr) return;
    std::string error;
    if (files.enterCurrent(error)) return;
    if (!error.empty()) {
        host_.showError(error);
        return;
    }
    const std::string path = (files.dir() / e->name).string();
    if (e->isExecutable) host_.runInTerminal({path}, host_.prompt() + os::shellQuote({"./" + e->name}));
    else host_.openWithDefault(path);
}

void FilePanelView::openCurrent() {
    if (const std::string path = currentPath(); !path.empty()) host_.openWithDefault(path);
}

std::string FilePanelView::currentPath() const {
    const PanelEntry* e = side_.files.currentEntry();
    return e == nullptr || e->name == ".." ? std::string() : (side_.files.dir() / e->name).string();
}

std::string FilePanelView::commandLineName() const {
    const PanelEntry* e = side_.files.currentEntry();
    return e == nullptr || e->name == ".." ? std::string() : e->name;
}

void FilePanelView::copy(bool move) {
    if (PluginPanel* target = host_.otherSide(side_).shown().plugin()) copyToPlugin(host_, side_.files, *target, move);
}

void FilePanelView::refresh() {
    std::string error;
    if (!side_.files.reload(error)) host_.showError(error);
}

bool FilePanelView::setFolder(const std::string& dir) {
    std::string error;
    return side_.files.open(dir, error);
}

void labelCopyKeys(KeyBarLabels& labels, const Panel& other) {
    if (other.plugin() == nullptr) return;
    labels[4] = "Copy";
    labels[5] = "RenMov";
}

void FilePanelView::labelKeys(KeyBarLabels& labels, const Panel& other) const { labelCopyKeys(labels, other); }

void FilePanelView::describe(PanelInfo& info) {
    info.Plugin = FALSE;
    services::copyInfoString(info.CurDir, sizeof info.CurDir, side_.files.dir().string());
}

std::vector<PluginPanelItem> FilePanelView::items() { return entryItems(side_.files); }

}  // namespace skimmer::host::app
