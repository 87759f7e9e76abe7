#include "host/app/app_service_hosts.h"

#include <optional>
#include <variant>

#include "host/app/manager.h"
#include "host/app/manager_control_host.h"
#include "host/app/plugin_set.h"
#include "host/app/terminal_console.h"
#include "host/services/adv_control.h"
#include "host/services/plugin_messages.h"
#include "host/services/screen.h"
#include "host/services/viewer_editor_slots.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::app {
namespace {

class ConsoleScreenHost : public services::ScreenHost {
public:
    explicit ConsoleScreenHost(const HostContext& host) : host_(host) {}
    term::CellBuffer& cells() override { return host_.console->cells(); }
    void present() override { host_.console->present(); }
    void repaint() override {
        if (host_.manager) host_.manager->repaint();
    }

private:
    const HostContext& host_;
};

class PluginMessageHost : public services::MessageHost {
public:
    explicit PluginMessageHost(const PluginSet& plugins) : plugins_(plugins) {}
    const char* message(int plugin, int id) const override { return plugins_.message(plugin, id); }

private:
    const PluginSet& plugins_;
};

// Hands the terminal to the pager or editor and takes it back with a full repaint.
class ConsoleHandover : public services::ViewerEditorHost {
public:
    explicit ConsoleHandover(const HostContext& host) : host_(host) {}
    void suspend() override { host_.console->handOver(); }
    void resume() override {
        host_.console->takeBack();
        if (host_.manager) host_.manager->repaint();
    }
    int terminalFd() const override { return host_.console->terminalFd(); }
    void showError(const std::string& text) override {
        if (host_.manager) host_.manager->showError(text);
    }

private:
    const HostContext& host_;
};

class AppAdvControlHost : public services::AdvControlHost {
public:
    explicit AppAdvControlHost(const HostContext& host) : host_(host) {}

    services::MacroQueue& macros() override { return *host_.macros; }

    std::optional<BYTE> paletteColour(int index) const override {
        if (host_.ui == nullptr) return std::nullopt;
        return static_cast<BYTE>(host_.ui->color(index));
    }

    void redrawAll() override {
        if (host_.manager) host_.manager->repaint();
    }

    void waitKey(INT_PTR wanted) override {
        while (host_.console) {
            const ui::UiEvent e = host_.console->next();
            if (std::holds_alternative<ui::InputEnded>(e)) break;
            const auto* key = std::get_if<term::KeyEvent>(&e);
            if (key && (wanted == -1 || wanted == 0 || static_cast<INT_PTR>(key->code) == wanted)) break;
        }
    }

private:
    const HostContext& host_;
};

}  // namespace

struct AppServiceHosts::Hosts {
    explicit Hosts(const HostContext& c) : context(c) {}
    HostContext context;  // a copy: the hosts refer to it, never to the caller's
    std::optional<ManagerControlHost> control;
    std::optional<ConsoleScreenHost> screen;
    std::optional<PluginMessageHost> messages;
    std::optional<AppAdvControlHost> advControl;
    std::optional<ConsoleHandover> viewerEditor;
};

AppServiceHosts::AppServiceHosts(const HostContext& context) : hosts_(std::make_unique<Hosts>(context)) {
    Hosts& h = *hosts_;
    const HostContext& c = h.context;
    if (c.manager) table_.control = &h.control.emplace(*c.manager);
    if (c.console) table_.screen = &h.screen.emplace(c);
    if (c.plugins) table_.messages = &h.messages.emplace(*c.plugins);
    if (c.macros) table_.advControl = &h.advControl.emplace(c);
    if (c.console) table_.viewerEditor = &h.viewerEditor.emplace(c);
}

AppServiceHosts::~AppServiceHosts() = default;

}  // namespace skimmer::host::app
