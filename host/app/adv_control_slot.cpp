// AdvControl's slot in the service table: the answers are the services layer's (adv_control.h);
// this supplies what they need of the application, from the installed HostContext.
#include "far/colors.h"
#include "host/app/host_context.h"
#include "host/app/host_services.h"
#include "host/app/manager.h"
#include "host/app/terminal_console.h"
#include "host/service_guard.h"
#include "host/services/adv_control.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::app {
namespace {

class AppAdvControlHost : public services::AdvControlHost {
public:
    explicit AppAdvControlHost(HostContext& host) : host_(host) {}

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
    HostContext& host_;
};

}  // namespace

INT_PTR FARAPI AdvControl(int, int Command, void* Param) {
    return guardedService<INT_PTR>(0, [&]() -> INT_PTR {
        HostContext* host = hostContext();
        if (host == nullptr || host->macros == nullptr) return 0;
        AppAdvControlHost app(*host);
        std::string error;  // FAR's AdvControl has no channel for the reason: the answer says it failed
        return services::answerAdvControl(Command, Param, app, error);
    });
}

}  // namespace skimmer::host::app
