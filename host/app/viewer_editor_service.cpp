// Viewer and Editor: the user's own pager and editor (services/viewer_editor.h) run with the
// terminal handed over; the screen is repainted when they return, and a file that cannot be opened
// is said on the screen.
#include "far/editor_viewer.h"
#include "host/app/host_context.h"
#include "host/app/host_services.h"
#include "host/app/manager.h"
#include "host/app/terminal_console.h"
#include "host/service_guard.h"
#include "host/services/viewer_editor.h"

namespace skimmer::host::app {
namespace {

// Hands the terminal to the pager or editor and takes it back with a full repaint.
class ConsoleHandover : public services::TerminalHandover {
public:
    explicit ConsoleHandover(HostContext& host) : host_(host) {}
    void suspend() override { host_.console->handOver(); }
    void resume() override {
        host_.console->takeBack();
        if (host_.manager) host_.manager->repaint();
    }
    int terminalFd() const override { return host_.console->terminalFd(); }

private:
    HostContext& host_;
};

}  // namespace

int FARAPI Viewer(const char* FileName, const char*, int, int, int, int, DWORD) {
    return guardedService<int>(FALSE, [&]() -> int {
        HostContext* host = hostContext();
        if (host == nullptr || host->console == nullptr || FileName == nullptr) return FALSE;
        ConsoleHandover handover(*host);
        const services::ViewResult r = services::viewFile(FileName, handover);
        if (!r.ok && host->manager) host->manager->showError(r.error);
        return r.ok ? TRUE : FALSE;
    });
}

int FARAPI Editor(const char* FileName, const char*, int, int, int, int, DWORD, int StartLine, int) {
    return guardedService<int>(EEC_OPEN_ERROR, [&]() -> int {
        HostContext* host = hostContext();
        if (host == nullptr || host->console == nullptr || FileName == nullptr) return EEC_OPEN_ERROR;
        ConsoleHandover handover(*host);
        const services::EditResult r = services::editFile(FileName, StartLine, handover);
        if (r.outcome == services::EditOutcome::OpenError && host->manager) host->manager->showError(r.error);
        return static_cast<int>(r.outcome);
    });
}

}  // namespace skimmer::host::app
