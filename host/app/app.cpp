#include "host/app/app.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <span>

#include "host/app/app_service_hosts.h"
#include "host/app/lng_messages.h"
#include "host/app/manager.h"
#include "host/app/plugin_module.h"
#include "host/app/plugin_set.h"
#include "host/services/runtime_functions.h"
#include "host/app/temp_panel_list.h"
#include "host/app/terminal_console.h"
#include "host/services/far_registry_defaults.h"
#include "host/services/macro_queue.h"
#include "host/term/signal_pipe.h"
#include "host/term/terminal_session.h"
#include "host/ui/far_services.h"
#include "host/ui/ui_context.h"
#include "os/registry.h"

namespace skimmer::host::app {
namespace {

// The plug-in that opens the search window at start when it is loaded.
constexpr const char* kSearchPlugin = "skimmer";

// FAR's copy dialog: the prompt, the destination on an edit line, a separator, the action's button
// and Cancel. Enter on the edit line is the action's button.
std::optional<std::string> copyDialog(const std::string& title, const std::string& prompt, const std::string& initial,
                                      const std::string& button) {
    FarDialogItem items[6]{};
    items[0] = FarDialogItem{.Type = DI_DOUBLEBOX, .X1 = 3, .Y1 = 1, .X2 = 72, .Y2 = 6};
    items[1] = FarDialogItem{.Type = DI_TEXT, .X1 = 5, .Y1 = 2, .X2 = 70, .Y2 = 2};
    items[2] = FarDialogItem{.Type = DI_EDIT, .X1 = 5, .Y1 = 3, .X2 = 70, .Y2 = 3, .Focus = TRUE};
    items[3] = FarDialogItem{.Type = DI_TEXT, .X1 = 0, .Y1 = 4, .X2 = 0, .Y2 = 4};
    items[3].Flags = DIF_SEPARATOR;
    items[4] = FarDialogItem{.Type = DI_BUTTON, .X1 = 0, .Y1 = 5, .X2 = 0, .Y2 = 5};
    items[4].Flags = DIF_CENTERGROUP;
    items[4].DefaultButton = TRUE;
    items[5] = FarDialogItem{.Type = DI_BUTTON, .X1 = 0, .Y1 = 5, .X2 = 0, .Y2 = 5};
    items[5].Flags = DIF_CENTERGROUP;
    std::snprintf(items[0].Data, sizeof items[0].Data, "%s", title.c_str());
    std::snprintf(items[1].Data, sizeof items[1].Data, "%s", prompt.c_str());
    std::snprintf(items[2].Data, sizeof items[2].Data, "%s", initial.c_str());
    std::snprintf(items[4].Data, sizeof items[4].Data, "%s", button.c_str());
    std::snprintf(items[5].Data, sizeof items[5].Data, "Cancel");
    const int exit = ui::DialogEx(-1, -1, -1, 76, 8, nullptr, items, 6, 0, 0, nullptr, 0);
    if (exit != 4 && exit != 2) return std::nullopt;
    return std::string(items[2].Data);
}

// The host's own menus and messages go through the same dialog engine as the plug-ins'.
ManagerDialogs engineDialogs() {
    ManagerDialogs d;
    d.menu = [](const std::string& title, const std::vector<std::string>& texts) {
        std::vector<FarMenuItem> items(texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            std::snprintf(items[i].Text, sizeof items[i].Text, "%s", texts[i].c_str());
            items[i].Selected = i == 0;
        }
        return ui::Menu(-1, -1, -1, 0, FMENU_WRAPMODE, title.c_str(), nullptr, nullptr, nullptr, nullptr,
                        items.data(), static_cast<int>(items.size()));
    };
    d.error = [](const std::string& title, const std::string& text) {
        const char* lines[] = {title.c_str(), text.c_str()};
        ui::Message(-1, FMSG_WARNING | FMSG_MB_OK, nullptr, lines, 2, 0);
    };
    d.copy = copyDialog;
    return d;
}

// FAR's own keys on first start, then the palette dialogs are drawn with. A file written by a newer
// version is left to the plug-ins to report (they own the settings it holds, and the user should
// get one notice, not one per reader): FAR's keys then simply keep their built-in defaults.
void prepareRegistry(ui::UiContext& ui, Manager& manager) {
    os::Hive* opened = nullptr;
    os::Hive hive(os::Hive::defaultPath(), nullptr, [&](const std::string& notice) {
        if (opened == nullptr || !opened->writtenByNewerVersion()) manager.showError(notice);
    });
    opened = &hive;
    const services::DefaultsOutcome outcome = services::writeFarRegistryDefaults(hive);
    if (!outcome.status && !hive.writtenByNewerVersion()) manager.showError(outcome.status.error);
    if (auto colors = hive.openKey(std::string(services::kFarRootKey) + "\\Colors")) {
        if (auto palette = colors->readValue("CurrentPalette"); palette && palette->type == os::RegType::Binary) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(palette->data.data());
            ui.setPalette(std::span<const uint8_t>(bytes, palette->data.size()));
        }
    }
}

// The Temporary Panel's prefix as the hive holds it now (FAR's default when the value is absent),
// read each time a line that may be its command runs, so the host and the plug-in that typed the
// command read the same file.
std::string readTempPanelPrefix(Manager& manager) {
    os::Hive hive(os::Hive::defaultPath(), nullptr, [&](const std::string& notice) { manager.showError(notice); });
    if (auto key = hive.openKey(std::string(services::kFarRootKey) + "\\Plugins\\TmpPanel"))
        if (auto prefix = key->readString("Prefix")) return *prefix;
    return std::string(kTempPanelPrefixDefault);
}

std::vector<std::filesystem::path> pluginPaths(const Options& options, const std::string& argv0) {
    if (!options.plugins.empty()) return {options.plugins.begin(), options.plugins.end()};
    return findPluginModules(programDirectory(argv0));
}

}  // namespace

int runApp(const Options& options, const std::string& argv0) {
    std::string error;
    auto session = term::TerminalSession::open(STDIN_FILENO, STDOUT_FILENO, error);
    if (!session) {
        std::fprintf(stderr, "skimmer: %s\n", error.c_str());
        return 1;
    }
    term::installCrashRestore();
    term::SignalPipe::install();
    if (!session->enter()) {
        std::fprintf(stderr, "skimmer: the terminal refused raw mode\n");
        return 1;
    }
    TerminalConsole console(*session);
    ui::UiContext ui(console, console);
    ui.setClipboardReader(services::clipboardText);
    ui::installUiContext(&ui);
    services::MacroQueue macros;
    Manager manager(console, engineDialogs());
    manager.setMacroQueue(&macros);
    manager.setScreenStack(&ui.screen());
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec || !manager.openFolder(cwd.string())) manager.openFolder("/");
    manager.paint();
    console.present();
    prepareRegistry(ui, manager);
    manager.setTempPanelPrefix([&manager] { return readTempPanelPrefix(manager); });

    PluginSet plugins([&](const std::string& text) { manager.showError(text); });
    const AppServiceHosts hosts(HostContext{&console, &manager, &macros, &ui, &plugins});
    services::installServiceHosts(&hosts.table());
    manager.setPlugins(&plugins);
    const std::string language = farLanguageFor(userLocale());
    ui.setHelpLanguage(language);
    ui.setModuleResolver([&plugins](int number) { return plugins.modulePath(number); });
    plugins.load(pluginPaths(options, argv0), language);
    if (options.text) manager.commandLine().setText(*options.text);
    if (options.panel) {
        std::string error;
        if (auto panel = plugins.openDiskAtStart(kSearchPlugin, error)) manager.showPluginPanel(std::move(panel));
        else manager.showError(error + " The file panel is shown instead.");
    } else if (!options.manager) {
        plugins.openAtStart(kSearchPlugin);
    }

    manager.run();
    manager.closePluginPanels();  // ClosePlugin before ExitFAR, as FAR does
    plugins.exitAll();
    services::installServiceHosts(nullptr);
    ui::installUiContext(nullptr);
    session->leave();
    return 0;
}

}  // namespace skimmer::host::app
