// The Temporary Panel's command line, `<prefix>:[<options>] <list file>`, as FAR's Temporary Panel
// takes it with its common panels: `+0` … `+9` choose one of ten panels (the current one stays
// chosen), the list replaces what that panel lists (or, with "-replace", is added to it) and the
// panel is shown over the active file panel; "+menu" offers the list as a menu; "+full" and
// "+safe" set the panel's modes. Without a list file, `+N` shows panel N with what it holds, and
// other options apply to the temporary panel shown. Alt+Shift+0 … 9 and Alt+Shift+F12 (a menu of
// the ten) switch the temporary panel shown, as FAR's keys do.
#include <filesystem>

#include "host/app/manager.h"
#include "host/app/temp_panel_list.h"
#include "host/app/temp_panel_menu.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

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
    if (options.number) tempPanels_.select(*options.number);
    if (command->listFile.empty()) {
        TempPanel* shown = pluginPanel() == nullptr ? side().temp.get() : nullptr;
        if (options.number) showTempPanel(tempPanels_.currentPanel());
        else if (shown == nullptr) showError("The temporary panel needs a list file: " + prefix + ":FILE");
        TempPanel* panel = side().temp.get();
        if (panel != nullptr && pluginPanel() == nullptr) applyModes(*panel, options);
        return true;
    }
    const std::string& file = command->listFile;
    const std::string path = file.front() == '/' ? file : (side().files.dir() / file).string();
    if (options.menu.value_or(false)) {
        tempPanelMenu(path);
        return true;
    }
    const std::shared_ptr<TempPanel> panel = tempPanels_.currentPanel();
    const bool add = !options.replace.value_or(true);
    if (!panel->load(path, error, add, options.any)) {
        showError(error);
        return true;
    }
    // A list that replaces the panel's starts it afresh: normal screen, not safe, unless said.
    if (!add) applyModes(*panel, TempPanelOptions{.full = false, .safe = false});
    applyModes(*panel, options);
    showTempPanel(panel);
    return true;
}

// The temporary panel takes the side's place, as another plug-in's panel would.
void Manager::showTempPanel(std::shared_ptr<TempPanel> panel) {
    if (pluginPanel() != nullptr && !closePluginPanel(active_, std::nullopt, false)) return;
    side().temp = std::move(panel);
}

// FAR's keys for the common panels, while a temporary panel is the active one.
bool Manager::tempPanelKey(k::Code key) {
    if (side().temp == nullptr || pluginPanel() != nullptr) return false;
    if (key >= (k::kAlt | k::kShift | '0') && key <= (k::kAlt | k::kShift | '9')) {
        showTempPanel(tempPanels_.select(static_cast<int>(key - (k::kAlt | k::kShift | '0'))));
        return true;
    }
    if (key == (k::kAlt | k::kShift | k::F(12))) {
        commonPanelsMenu();
        return true;
    }
    return false;
}

// Alt+Shift+F12: the ten panels, each with how many items it lists, the shown one under the cursor.
void Manager::commonPanelsMenu() {
    if (!dialogs_.menu) return;
    MenuOffer offer{.title = "Temporary panels", .entries = {}, .breakKeys = {}};
    const int shown = tempPanels_.numberOf(side().temp.get());
    for (int n = 0; n < TempPanelSet::kCount; ++n) {
        const size_t count = tempPanels_.itemCount(n);
        const std::string holds = count == 0 ? std::string("empty") : std::to_string(count) + " items";
        offer.entries.push_back(ui::MenuEntry{.text = "&" + std::to_string(n) + "  " + holds, .selected = n == shown});
    }
    const int chosen = dialogs_.menu(offer).index;
    if (chosen >= 0 && chosen < TempPanelSet::kCount) showTempPanel(tempPanels_.select(chosen));
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
