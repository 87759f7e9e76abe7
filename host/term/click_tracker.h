// Marks the second press of the left button on the same cell within `kDoubleClickMs` as a double
// click (FAR's DOUBLE_CLICK flag), which a terminal never reports itself.
//
// Contract: pure; the caller passes the time of each event (milliseconds from any fixed origin), so
// tests never wait. A double click does not start another one: a third quick press is a single
// click again, as in a console.
#pragma once

#include <cstdint>

#include "host/term/input_event.h"

namespace skimmer::host::term {

class ClickTracker {
public:
    static constexpr int64_t kDoubleClickMs = 400;

    // Returns the event, with kDoubleClick added when it completes a double click.
    MouseEvent classify(MouseEvent e, int64_t nowMs);

private:
    bool armed_ = false;
    int x_ = -1, y_ = -1;
    int64_t at_ = 0;
    uint32_t previousButtons_ = 0;
};

}  // namespace skimmer::host::term
