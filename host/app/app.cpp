#include "host/app/app.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <span>

#include "host/app/app_service_hosts.h"
#include "host/app/engine_dialogs.h"
#include "host/app/hive_dialog_history.h"
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
    Manager manager(console, engineDialogs(ui));
    manager.setMacroQueue(&macros);
    manager.setScreenStack(&ui.screen());
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec || !manager.openFolder(cwd.string())) manager.openFolder("/");
    manager.paint();
    console.present();
    prepareRegistry(ui, manager);
    // The edit lines' histories persist where FAR keeps them, in the hive, through one Hive that
    // lives as long as the dialogs do.
    os::Hive historyHive(os::Hive::defaultPath(), nullptr, [&manager](const std::string& notice) {
        manager.showError(notice);
    });
    HiveDialogHistory historyStore(historyHive, std::string(services::kFarRootKey),
                                   [&manager](const std::string& text) { manager.showError(text); });
    ui.dialogHistory().setStore(&historyStore);
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
    ui.dialogHistory().setStore(nullptr);
    ui::installUiContext(nullptr);
    session->leave();
    return 0;
}

}  // namespace skimmer::host::app
