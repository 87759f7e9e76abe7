// Where the dialog engine draws, and how the application shows it.
//
// Contract: the application owns the cell buffer and the terminal. The engine draws only on the UI
// thread, only into `cells()`, and calls `present()` when a frame is complete (the buffer's cursor
// state included). `redrawBackground()` is called after a console resize, before the engine draws
// its open dialogs and menus again on top: the application draws what lies beneath them (panels,
// command line, key bar) into the already resized buffer.
#pragma once

#include "host/term/cell_buffer.h"

namespace skimmer::host::ui {

class Surface {
public:
    virtual ~Surface() = default;
    virtual term::CellBuffer& cells() = 0;
    virtual void present() = 0;
    virtual void redrawBackground() = 0;
};

}  // namespace skimmer::host::ui
