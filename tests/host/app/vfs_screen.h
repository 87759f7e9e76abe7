// The manager on a pseudo-terminal with the virtual-file-system test plug-in loaded: menus are
// answered from a queue, every call into the plug-in is read back from its call log.
#pragma once

#include <stdlib.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "far/editor_viewer.h"
#include "host/app/plugin_set.h"
#include "tests/host/app/screen_on_pty.h"

namespace skimmer::host::app {

struct VfsScreen : ScreenOnPty {
    fs::path log = home.root() / "vfs.log";
    std::deque<MenuAnswer> menuAnswers;          // the next menus' choices (-1: Esc)
    std::vector<std::vector<std::string>> menus;  // what each menu listed
    std::vector<MenuOffer> menuSpecs;              // each menu whole (marks, break keys)
    std::deque<std::optional<std::string>> maskAnswers;  // the Select/Deselect boxes' answers (none: Esc)
    std::vector<std::string> maskPrompts;                // "title|initial" of each
    std::vector<std::string> helpShown;                  // "plugin|topic" of each help asked for
    std::vector<std::string> reports;             // what the plug-in set reported
    std::unique_ptr<PluginSet> plugins;
    std::deque<std::optional<std::string>> copyAnswers;  // the copy dialogs' answers (none: Cancel)
    std::vector<std::string> copyPrompts;
    // The editor F4 runs: gets the fetched file, returns FAR's EEC_* outcome (unset: none runs).
    std::function<int(const std::string&)> editor;

    explicit VfsScreen(unsigned short columns = 60, unsigned short rows = 20) : ScreenOnPty(columns, rows) {
        setenv("SKIMMER_VFS_LOG", log.c_str(), 1);
        manager = std::make_unique<Manager>(
            *console, ManagerDialogs{.menu =
                                         [this](const MenuOffer& offer) {
                                             menuSpecs.push_back(offer);
                                             menus.emplace_back();
                                             for (const auto& e : offer.entries) menus.back().push_back(e.text);
                                             if (menuAnswers.empty()) return MenuAnswer();
                                             const MenuAnswer a = menuAnswers.front();
                                             menuAnswers.pop_front();
                                             return a;
                                         },
                                     .error = [this](const std::string&, const std::string& text) {
                                         errors.push_back(text);
                                     },
                                     .copy = [this](const std::string&, const std::string& prompt,
                                                    const std::string& initial, const std::string&) {
                                         copyPrompts.push_back(prompt + "|" + initial);
                                         std::optional<std::string> a;
                                         if (!copyAnswers.empty()) a = copyAnswers.front(), copyAnswers.pop_front();
                                         return a;
                                     },
                                     .masks = [this](const std::string& title, const std::string& initial) {
                                         maskPrompts.push_back(title + "|" + initial);
                                         std::optional<std::string> a;
                                         if (!maskAnswers.empty()) a = maskAnswers.front(), maskAnswers.pop_front();
                                         return a;
                                     },
                                     .pluginHelp = [this](int plugin, const std::string& topic) {
                                         helpShown.push_back(std::to_string(plugin) + "|" + topic);
                                         return true;
                                     },
                                     .edit = [this](const std::string& path) {
                                         return editor ? editor(path) : EEC_OPEN_ERROR;
                                     }});
        manager->openFolder(dir.string());
        plugins = std::make_unique<PluginSet>([this](const std::string& text) { reports.push_back(text); });
        plugins->load({SKIMMER_VFS_PLUGIN}, "English");
        manager->setPlugins(plugins.get());
        host.manager = manager.get();
        host.plugins = plugins.get();
        installHosts();
    }
    ~VfsScreen() {
        manager->closePluginPanels();
        plugins->exitAll();
        unsetenv("SKIMMER_VFS_LOG");
        unsetenv("SKIMMER_VFS_NO_PANEL");
        unsetenv("SKIMMER_VFS_CLOSE_TO");
        unsetenv("SKIMMER_VFS_MODES");
        unsetenv("SKIMMER_VFS_NO_ASK");
        unsetenv("SKIMMER_VFS_KEEP");
        unsetenv("SKIMMER_VFS_REFUSE_PUT");
        unsetenv("SKIMMER_VFS_UPDATE_IN_GET");
        unsetenv("SKIMMER_VFS_SORT");
        unsetenv("SKIMMER_VFS_HOST_FILE");
    }

    // Alt+F1 (side 0) or Alt+F2 (side 1), choosing the plug-in's entry (after "/" and the home).
    void openVfs(int side = 0) {
        menuAnswers.push_back(2);
        manager->handleKey(term::key::kAlt | term::key::F(side + 1));
    }
    void key(term::key::Code k) { manager->handleKey(k); }

    void enter(const std::string& name) {
        manager->activePanel().setCurrent(name);
        key(term::key::ENTER);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : manager->activePanel().entries()) out.push_back(e.name);
        return out;
    }
    std::string currentName() const {
        const PanelEntry* e = manager->activePanel().currentEntry();
        return e ? e->name : std::string();
    }
    // The call log, from line `skip` on.
    std::vector<std::string> calls(size_t skip = 0) const {
        std::ifstream in(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        lines.erase(lines.begin(), lines.begin() + static_cast<long>(std::min(skip, lines.size())));
        return lines;
    }
    size_t callCount() const { return calls().size(); }
};

}  // namespace skimmer::host::app
