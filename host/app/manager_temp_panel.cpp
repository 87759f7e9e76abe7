// The Temporary Panel's command line, `<prefix>:[<options>] <list file>`, as FAR's Temporary Panel
// takes it: the list opens a panel over the active file panel (or, with "-replace", is added to the
// one shown there), or with "+menu" is offered as a menu; "+full" and "+safe" set the panel's modes.
// Without a list file the options apply to the temporary panel shown.
#include <filesystem>

#include "host/app/manager.h"
#include "host/app/temp_panel_list.h"
#include "host/app/temp_panel_menu.h"

namespace skimmer::host::app {
namespace {

void applyModes(TempPanel& panel, const TempPanelOptions& options) {
    if (options.full) panel.setFullScreen(*options.full);
    if (options.safe) panel.setSafe(*options.safe);
}

}  // namespace

bool Manager::openTempPanel(const std::string& line) {
    if (!tempPanelPrefix_ || line.find(':') == std::string::npos) return false;
    std::string error;
    const std::string prefix = tempPanelPrefix_();
    const std::optional<TempPanelCommand> command = tempPanelCommand(line, prefix, error);
    if (!command) return false;
    if (!error.empty()) {
        showError(error);
        return true;
    }
    const TempPanelOptions& options = command->options;
    TempPanel* shown = pluginPanel() == nullptr ? side().temp.get() : nullptr;
    if (command->listFile.empty()) {
        if (shown != nullptr) applyModes(*shown, options);
        else showError("The temporary panel needs a list file: " + prefix + ":FILE");
        return true;
    }
    const std::string& file = command->listFile;
    const std::string path = file.front() == '/' ? file : (side().files.dir() / file).string();
    if (options.menu.value_or(false)) {
        tempPanelMenu(path);
        return true;
    }
    if (shown != nullptr && !options.replace.value_or(true)) {
        if (shown->load(path, error, true, options.any)) applyModes(*shown, options);
        else showError(error);
        return true;
    }
    auto panel = std::make_unique<TempPanel>();
    if (!panel->load(path, error, false, options.any)) {
        showError(error);
        return true;
    }
    applyModes(*panel, options);
    // The temporary panel takes the side's place, as another plug-in's panel would.
    if (pluginPanel() != nullptr && !closePluginPanel(active_, std::nullopt, false)) return true;
    side().temp = std::move(panel);
    return true;
}

// "+menu": the list's items in a menu. A chosen item that names a folder (a relative one below the
// list's folder) is entered on the active side; anything else goes onto the command line.
void Manager::tempPanelMenu(const std::string& listFile) {
    std::vector<std::string> lines;
    std::string error;
    if (!readTempPanelLines(listFile, lines, error)) {
        showError(error);
        return;
    }
    if (!dialogs_.menu) return;
    const std::vector<TempMenuItem> items = tempMenuItems(lines);
    const int chosen = dialogs_.menu(tempMenu(listFile, items)).index;
    if (chosen < 0 || chosen >= static_cast<int>(items.size()) || items[static_cast<size_t>(chosen)].separator) return;
    const std::string& target = items[static_cast<size_t>(chosen)].command;
    std::error_code ec;
    if (!target.empty() && std::filesystem::is_directory(tempPanelPath(listFile, target), ec)) {
        if (!setPanelDir(tempPanelPath(listFile, target))) showError("Cannot open the folder " + target);
        return;
    }
    commandLine_.setText(target);
}

}  // namespace skimmer::host::app
