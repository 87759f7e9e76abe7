// What the dialog engine waits for, and how the application feeds it.
//
// Contract: the application implements `EventSource` over its terminal (the input decoder plus an
// eventfd or self-pipe); tests implement it over a script. `next()` blocks until an event exists
// and is only ever called on the UI thread. `wake()` may be called from any thread at any time and
// makes a pending or later `next()` return a `WakeEvent` soon; several wakes may fold into one.
// The engine never owns the source and never closes it.
#pragma once

#include <variant>

#include "host/term/input_event.h"

namespace skimmer::host::ui {

// The console changed size. The application has already resized the cell buffer when it hands
// this event over.
struct ResizeEvent {
    int width = 0;
    int height = 0;
};

// Another thread changed a dialog (or asked it to close): repaint what is dirty.
struct WakeEvent {};

// The input is gone for good (terminal closed, script exhausted); `next()` keeps returning it.
// Every open dialog, menu and message box then ends as if cancelled: dialogs still send DN_CLOSE
// (-1) to their procedure but close whatever it answers.
struct InputEnded {};

// Visits a UiEvent with one lambda per alternative.
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

using UiEvent = std::variant<term::KeyEvent, term::MouseEvent, term::PasteEvent, ResizeEvent,
                             WakeEvent, InputEnded>;

class EventSource {
public:
    virtual ~EventSource() = default;
    virtual UiEvent next() = 0;
    virtual void wake() = 0;
};

}  // namespace skimmer::host::ui
