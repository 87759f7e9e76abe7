// Text, SaveScreen and RestoreScreen: plug-ins drawing straight onto the screen. Text draws into
// the cell buffer (so the one writer still sanitises it) and a NULL text presents the frame.
// A saved screen is a heap object whose address is the HANDLE; RestoreScreen takes it back
// exactly once. FAR allows RestoreScreen(NULL) to mean "redraw": we repaint the screen.
#include <memory>
#include <set>

#include "host/app/host_context.h"
#include "host/app/host_services.h"
#include "host/app/manager.h"
#include "host/app/terminal_console.h"
#include "host/service_guard.h"

namespace skimmer::host::app {
namespace {

struct SavedScreen {
    term::Region region;
    term::CursorState cursor;
};

// Handles given out and not yet restored: a stale or foreign handle is ignored, never freed twice.
std::set<SavedScreen*>& liveScreens() {
    static std::set<SavedScreen*> live;
    return live;
}

}  // namespace

void FARAPI Text(int X, int Y, int Color, const char* Str) {
    guardedService([&] {
        HostContext* host = hostContext();
        if (host == nullptr || host->console == nullptr) return;
        if (Str == nullptr) {
            host->console->present();
            return;
        }
        host->console->cells().put(X, Y, Str, static_cast<term::Attr>(Color & 0xFF));
    });
}

HANDLE FARAPI SaveScreen(int X1, int Y1, int X2, int Y2) {
    return guardedService<HANDLE>(nullptr, [&]() -> HANDLE {
        HostContext* host = hostContext();
        if (host == nullptr || host->console == nullptr) return nullptr;
        term::CellBuffer& cells = host->console->cells();
        if (X2 == -1) X2 = cells.width() - 1;
        if (Y2 == -1) Y2 = cells.height() - 1;
        auto saved = std::make_unique<SavedScreen>(SavedScreen{cells.save(X1, Y1, X2, Y2), cells.cursor()});
        SavedScreen* handle = saved.release();
        liveScreens().insert(handle);
        return handle;
    });
}

void FARAPI RestoreScreen(HANDLE hScreen) {
    guardedService([&] {
        HostContext* host = hostContext();
        if (hScreen == nullptr) {
            if (host && host->manager) host->manager->repaint();
            return;
        }
        auto* saved = static_cast<SavedScreen*>(hScreen);
        if (liveScreens().erase(saved) == 0) return;
        std::unique_ptr<SavedScreen> owned(saved);
        if (host == nullptr || host->console == nullptr) return;
        term::CellBuffer& cells = host->console->cells();
        cells.restore(owned->region);
        cells.setCursor(owned->cursor.x, owned->cursor.y, owned->cursor.visible);
        host->console->present();
    });
}

}  // namespace skimmer::host::app
