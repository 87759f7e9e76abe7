#include "host/term/click_tracker.h"

#include <gtest/gtest.h>

namespace skimmer::host::term {
namespace {

MouseEvent press(int x, int y) { return MouseEvent{x, y, kLeftButton, 0, 0, 0}; }
MouseEvent release(int x, int y) { return MouseEvent{x, y, 0, 0, 0, 0}; }

TEST(ClickTracker, SecondQuickPressOnTheSameCellIsADoubleClick) {
    ClickTracker t;
    EXPECT_EQ(t.classify(press(3, 4), 1000).flags, 0u);
    t.classify(release(3, 4), 1050);
    EXPECT_EQ(t.classify(press(3, 4), 1200).flags, kDoubleClick);
    t.classify(release(3, 4), 1250);
    EXPECT_EQ(t.classify(press(3, 4), 1300).flags, 0u);  // a third press starts over
}

TEST(ClickTracker, TooSlowElsewhereOrMovedAwayIsNot) {
    ClickTracker t;
    t.classify(press(1, 1), 0);
    t.classify(release(1, 1), 10);
    EXPECT_EQ(t.classify(press(1, 1), 10 + ClickTracker::kDoubleClickMs + 1).flags, 0u);
    t.classify(release(1, 1), 500);
    EXPECT_EQ(t.classify(press(2, 1), 600).flags, 0u);
    t.classify(release(2, 1), 610);
    t.classify(MouseEvent{5, 5, 0, 0, kMouseMoved, 0}, 620);
    EXPECT_EQ(t.classify(press(2, 1), 630).flags, 0u);
    // A drag (motion with the button held) is never a click.
    EXPECT_EQ(t.classify(MouseEvent{2, 1, kLeftButton, 0, kMouseMoved, 0}, 640).flags, kMouseMoved);
}

}  // namespace
}  // namespace skimmer::host::term
