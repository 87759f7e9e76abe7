#include "host/services/screen.h"

#include <memory>
#include <set>

#include "host/service_guard.h"
#include "host/services/service_hosts.h"

namespace skimmer::host::services {
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
        ScreenHost* host = serviceHosts().screen;
        if (host == nullptr) return;
        if (Str == nullptr) {
            host->present();
            return;
        }
        host->cells().put(X, Y, Str, static_cast<term::Attr>(Color & 0xFF));
    });
}

HANDLE FARAPI SaveScreen(int X1, int Y1, int X2, int Y2) {
    return guardedService<HANDLE>(nullptr, [&]() -> HANDLE {
        ScreenHost* host = serviceHosts().screen;
        if (host == nullptr) return nullptr;
        term::CellBuffer& cells = host->cells();
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
        ScreenHost* host = serviceHosts().screen;
        if (hScreen == nullptr) {
            if (host) host->repaint();
            return;
        }
        auto* saved = static_cast<SavedScreen*>(hScreen);
        if (liveScreens().erase(saved) == 0) return;
        std::unique_ptr<SavedScreen> owned(saved);
        if (host == nullptr) return;
        term::CellBuffer& cells = host->cells();
        cells.restore(owned->region);
        cells.setCursor(owned->cursor.x, owned->cursor.y, owned->cursor.visible);
        host->present();
    });
}

}  // namespace skimmer::host::services
