#include "host/app/plugin_set.h"

#include <cstring>
#include <exception>

#include "host/services/startup_info.h"
#include "host/services/standard_functions.h"

namespace skimmer::host::app {

PluginSet::~PluginSet() { exitAll(); }

bool PluginSet::call(Loaded& p, const char* entry, const std::function<void()>& body) {
    if (p.failed) return false;
    std::string what;
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
        what = "an unknown exception";
    }
    p.failed = true;
    if (report_)
        report_("The plug-in " + p.module->path().filename().string() + " failed in " + entry + ": " + what +
                ". It is disabled until the next start.");
    return false;
}

void PluginSet::load(const std::vector<std::filesystem::path>& modules, const std::string& language) {
    for (const auto& path : modules) {
        std::string error;
        auto module = PluginModule::load(path, error);
        if (!module) {
            if (report_) report_(error);
            continue;
        }
        auto p = std::make_unique<Loaded>();
        p->module = std::move(module);
        p->lng.load(p->module->path().parent_path(), language);
        p->fsf = services::makeStandardFunctions();
        const int number = static_cast<int>(plugins_.size());
        p->info = services::makeStartupInfo(number, p->module->path().c_str(), &p->fsf);
        Loaded& ref = *p;
        plugins_.push_back(std::move(p));
        call(ref, "SetStartupInfo", [&] { ref.module->entry().SetStartupInfo(&ref.info); });
    }
}

std::string PluginSet::name(int plugin) const {
    if (plugin < 0 || static_cast<size_t>(plugin) >= plugins_.size()) return {};
    return plugins_[static_cast<size_t>(plugin)]->module->path().stem().string();
}

std::string PluginSet::modulePath(int plugin) const {
    if (plugin < 0 || static_cast<size_t>(plugin) >= plugins_.size()) return {};
    return plugins_[static_cast<size_t>(plugin)]->module->path().string();
}

const char* PluginSet::message(int plugin, int id) const {
    if (plugin < 0 || static_cast<size_t>(plugin) >= plugins_.size()) return "";
    return plugins_[static_cast<size_t>(plugin)]->lng.message(id);
}

std::vector<PluginMenuItem> PluginSet::items(bool config) {
    std::vector<PluginMenuItem> out;
    for (size_t i = 0; i < plugins_.size(); ++i) {
        Loaded& p = *plugins_[i];
        if (p.module->entry().GetPluginInfo == nullptr) continue;
        PluginInfo info{};
        info.StructSize = sizeof info;
        // The strings are copied at once: the plug-in owns them only until its next call.
        call(p, "GetPluginInfo", [&] {
            p.module->entry().GetPluginInfo(&info);
            const char* const* strings = config ? info.PluginConfigStrings : info.PluginMenuStrings;
            const int count = config ? info.PluginConfigStringsNumber : info.PluginMenuStringsNumber;
            for (int k = 0; strings != nullptr && k < count; ++k)
                if (strings[k] != nullptr) out.push_back({static_cast<int>(i), k, strings[k]});
        });
    }
    return out;
}

std::vector<PluginMenuItem> PluginSet::menuItems() { return items(false); }
std::vector<PluginMenuItem> PluginSet::configItems() { return items(true); }

std::vector<PluginMenuItem> PluginSet::diskItems() {
    std::vector<PluginMenuItem> out;
    for (size_t i = 0; i < plugins_.size(); ++i) {
        Loaded& p = *plugins_[i];
        if (p.module->entry().GetPluginInfo == nullptr) continue;
        PluginInfo info{};
        info.StructSize = sizeof info;
        call(p, "GetPluginInfo", [&] {
            p.module->entry().GetPluginInfo(&info);
            for (int k = 0; info.DiskMenuStrings != nullptr && k < info.DiskMenuStringsNumber; ++k) {
                if (info.DiskMenuStrings[k] == nullptr) continue;
                const int hot = info.DiskMenuNumbers != nullptr ? info.DiskMenuNumbers[k] : -1;
                out.push_back({static_cast<int>(i), k, info.DiskMenuStrings[k], hot});
            }
        });
    }
    return out;
}

std::unique_ptr<PluginPanel> PluginSet::openPanel(const PluginMenuItem& item, int from) {
    if (item.plugin < 0 || static_cast<size_t>(item.plugin) >= plugins_.size()) return nullptr;
    Loaded& p = *plugins_[static_cast<size_t>(item.plugin)];
    const EntryPoints& e = p.module->entry();
    if (e.OpenPlugin == nullptr) return nullptr;
    HANDLE panel = INVALID_HANDLE_VALUE;
    call(p, "OpenPlugin", [&] { panel = e.OpenPlugin(from, item.item); });
    if (panel == INVALID_HANDLE_VALUE || panel == nullptr || p.failed) return nullptr;
    Loaded* owner = &p;
    return std::make_unique<PluginPanel>(item.plugin, e, panel, [this, owner](const char* entry, const std::function<void()>& body) {
        return call(*owner, entry, body);
    });
}

std::unique_ptr<PluginPanel> PluginSet::open(const PluginMenuItem& item) { return openPanel(item, OPEN_PLUGINSMENU); }

std::unique_ptr<PluginPanel> PluginSet::openDiskItem(const PluginMenuItem& item) {
    auto panel = openPanel(item, OPEN_DISKMENU);
    if (!panel && report_ && item.plugin >= 0 && static_cast<size_t>(item.plugin) < plugins_.size() &&
        !plugins_[static_cast<size_t>(item.plugin)]->failed)
        report_("The plug-in " + name(item.plugin) + " opened no panel for \"" + item.text + "\".");
    return panel;
}

std::unique_ptr<PluginPanel> PluginSet::openDiskAtStart(const std::string& preferred, std::string& error) {
    const std::vector<PluginMenuItem> items = diskItems();
    const PluginMenuItem* chosen = nullptr;
    for (const PluginMenuItem& i : items)
        if (chosen == nullptr && name(i.plugin) == preferred) chosen = &i;
    if (chosen == nullptr && !items.empty()) chosen = &items.front();
    if (chosen == nullptr) {
        error = "No loaded plug-in offers a panel in the drive menu.";
        return nullptr;
    }
    auto panel = openPanel(*chosen, OPEN_DISKMENU);
    if (!panel) error = "The plug-in " + name(chosen->plugin) + " opened no panel.";
    return panel;
}

void PluginSet::configure(const PluginMenuItem& item) {
    if (item.plugin < 0 || static_cast<size_t>(item.plugin) >= plugins_.size()) return;
    Loaded& p = *plugins_[static_cast<size_t>(item.plugin)];
    if (p.module->entry().Configure == nullptr) return;
    call(p, "Configure", [&] { p.module->entry().Configure(item.item); });
}

bool PluginSet::openAtStart(const std::string& preferred) {
    int chosen = -1;
    for (size_t i = 0; i < plugins_.size() && chosen < 0; ++i)
        if (name(static_cast<int>(i)) == preferred && plugins_[i]->module->entry().OpenPlugin) chosen = static_cast<int>(i);
    for (size_t i = 0; i < plugins_.size() && chosen < 0; ++i)
        if (plugins_[i]->module->entry().OpenPlugin) chosen = static_cast<int>(i);
    if (chosen < 0) return false;
    // The search window runs inside OpenPlugin; a panel it might return is closed at once.
    open(PluginMenuItem{chosen, 0, {}});
    return true;
}

void PluginSet::exitAll() {
    for (auto& p : plugins_)
        if (p->module->entry().ExitFAR) call(*p, "ExitFAR", [&] { p->module->entry().ExitFAR(); });
    plugins_.clear();
}

}  // namespace skimmer::host::app
