// The loaded plug-ins, driven as FAR drives them: SetStartupInfo once with a service table of its
// own per module, GetPluginInfo when a menu is built, OpenPlugin / Configure on the user's choice,
// ExitFAR once before the module is unloaded.
//
// Contract:
// - Every call into a plug-in goes through one boundary that stops exceptions: the failure is
//   reported to the user, the plug-in is marked failed and not called again (not even ExitFAR: its
//   state is unknown), and the host goes on. A crash (signal) cannot be stopped; the terminal is
//   restored by the crash handler before the process dies.
// - Each module's PluginStartupInfo and FarStandardFunctions stay at fixed addresses until the
//   module is unloaded. RootKey is "Software\Far\Plugins".
// - A plug-in that opens a panel (OpenPlugin returns a handle) hands it over as a PluginPanel whose
//   calls go through the same boundary; the panels must be closed before exitAll().
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "far/plugin.h"
#include "host/app/lng_messages.h"
#include "host/app/plugin_commands.h"
#include "host/app/plugin_module.h"

namespace skimmer::host::app {

class PluginSet : public PluginCommands {
public:
    using Reporter = std::function<void(const std::string& text)>;

    explicit PluginSet(Reporter report) : report_(std::move(report)) {}
    ~PluginSet() override;

    // Loads each module and calls its SetStartupInfo; failures are reported and skipped.
    void load(const std::vector<std::filesystem::path>& modules, const std::string& language);
    size_t size() const { return plugins_.size(); }
    std::string name(int plugin) const;
    // The module file of plug-in `plugin` (its ModuleNumber), empty for a number we never gave.
    std::string modulePath(int plugin) const;

    const char* message(int plugin, int id) const;

    std::vector<PluginMenuItem> menuItems() override;
    std::vector<PluginMenuItem> configItems() override;
    std::vector<PluginMenuItem> diskItems() override;
    std::unique_ptr<PluginPanel> open(const PluginMenuItem& item) override;
    std::unique_ptr<PluginPanel> openDiskItem(const PluginMenuItem& item) override;
    void configure(const PluginMenuItem& item) override;

    // OpenPlugin(OPEN_PLUGINSMENU, 0) on the plug-in named `preferred` (file stem), else on the
    // first one that has OpenPlugin. False when there is none.
    bool openAtStart(const std::string& preferred);
    // The first drive-menu entry of the plug-in named `preferred`, else of the first plug-in that
    // has one, opened with OpenPlugin(OPEN_DISKMENU): the panel, or null with `error` saying why.
    std::unique_ptr<PluginPanel> openDiskAtStart(const std::string& preferred, std::string& error);

    // ExitFAR on every plug-in that did not fail, then unload them all. Idempotent.
    void exitAll();

private:
    struct Loaded {
        std::unique_ptr<PluginModule> module;
        FarStandardFunctions fsf{};
        PluginStartupInfo info{};
        LngMessages lng;
        bool failed = false;
    };

    bool call(Loaded& p, const char* entry, const std::function<void()>& body);
    std::vector<PluginMenuItem> items(bool config);
    std::unique_ptr<PluginPanel> openPanel(const PluginMenuItem& item, int from);

    Reporter report_;
    std::vector<std::unique_ptr<Loaded>> plugins_;
};

}  // namespace skimmer::host::app
