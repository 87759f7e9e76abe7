#include "host/term/click_tracker.h"

namespace skimmer::host::term {

MouseEvent ClickTracker::classify(MouseEvent e, int64_t nowMs) {
    const bool leftPress = e.flags == 0 && (e.buttons & kLeftButton) && !(previousButtons_ & kLeftButton);
    previousButtons_ = e.flags == kMouseWheeled ? previousButtons_ : e.buttons;
    if (!leftPress) {
        if (e.flags == kMouseMoved && (e.x != x_ || e.y != y_)) armed_ = false;
        return e;
    }
    if (armed_ && e.x == x_ && e.y == y_ && nowMs - at_ <= kDoubleClickMs) {
        e.flags |= kDoubleClick;
        armed_ = false;
        return e;
    }
    armed_ = true;
    x_ = e.x;
    y_ = e.y;
    at_ = nowMs;
    return e;
}

}  // namespace skimmer::host::term
