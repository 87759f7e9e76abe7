// The modal windows on screen, bottom to top, and what lay beneath each of them.
//
// Contract: a window pushed here is painted over a snapshot of the screen taken when it opened;
// repainting it puts the snapshot back first (so a window that moved or shrank leaves nothing
// behind) and then repaints every window above it. Popping the top window restores its snapshot,
// cursor included. Only the UI thread calls these, with the UI lock held. The stack does not own
// the windows; each window pops itself before it dies.
#pragma once

#include <vector>

#include "host/term/cell_buffer.h"
#include "host/ui/surface.h"

namespace skimmer::host::ui {

class Layer {
public:
    virtual ~Layer() = default;
    // Draws the whole window; sets the buffer's cursor when it shows one.
    virtual void paint(term::CellBuffer& cells) = 0;
};

class ScreenStack {
public:
    explicit ScreenStack(Surface& surface) : surface_(surface) {}

    void push(Layer& layer);
    void repaint(Layer& layer);  // no-op for a window that is not on the stack
    void pop(Layer& layer);
    // Paints a window that does not stay on the stack: it remains visible until something
    // repaints over it (FAR's message box without buttons).
    void paintOnce(Layer& layer);
    // After a console resize: the application redraws the background, every window repaints.
    void resized();

    bool contains(const Layer& layer) const;

private:
    struct Entry {
        Layer* layer;
        term::Region under;
        term::CursorState cursor;
    };
    term::Region snapshot() const;
    void paintFrom(size_t index);

    Surface& surface_;
    std::vector<Entry> entries_;
};

}  // namespace skimmer::host::ui
