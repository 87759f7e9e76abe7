// The Linux layout's character cells: a screen cell and a key event carry any Unicode code point
// (on Windows they are the system's own structures, whose WCHAR holds one UTF-16 unit).
#include <gtest/gtest.h>

#include <cstdint>

#include "far/far.h"

namespace {

TEST(FarLayout, ScreenCellAndKeyEventHoldAnyCodePoint) {
    CHAR_INFO cell{};
    cell.Char.UnicodeChar = static_cast<WCHAR>(0x10FFFF);
    EXPECT_EQ(static_cast<uint32_t>(cell.Char.UnicodeChar), 0x10FFFFu);
    KEY_EVENT_RECORD key{};
    key.uChar.UnicodeChar = static_cast<WCHAR>(0x1F600);
    EXPECT_EQ(static_cast<uint32_t>(key.uChar.UnicodeChar), 0x1F600u);
}

}  // namespace
