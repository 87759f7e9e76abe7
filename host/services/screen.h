// Text, SaveScreen and RestoreScreen: plug-ins drawing straight onto the screen. Text draws into
// the application's cell buffer (so the one writer still sanitises it) and a NULL text presents the
// frame. A saved screen is a heap object whose address is the HANDLE; RestoreScreen takes it back
// exactly once. FAR allows RestoreScreen(NULL) to mean "redraw": the application repaints.
//
// Contract: never throws; a stale or foreign handle is ignored, never freed twice. Without a
// ScreenHost nothing is drawn and SaveScreen gives a null handle.
#pragma once

#include "far/plugin.h"
#include "host/term/cell_buffer.h"

namespace skimmer::host::services {

class ScreenHost {
public:
    virtual ~ScreenHost() = default;
    virtual term::CellBuffer& cells() = 0;
    virtual void present() = 0;  // the cell buffer to the terminal
    virtual void repaint() = 0;  // the whole screen drawn again, then presented
};

void FARAPI Text(int X, int Y, int Color, const char* Str);
HANDLE FARAPI SaveScreen(int X1, int Y1, int X2, int Y2);
void FARAPI RestoreScreen(HANDLE hScreen);

}  // namespace skimmer::host::services
