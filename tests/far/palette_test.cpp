// The palette indices and FAR 1.70's default bytes line up: a row lost or duplicated in either
// table shifts every colour after it, which these checks catch.
#include <gtest/gtest.h>

#include "far/colors.h"
#include "far/default_palette.h"

namespace {

using skimmer::farapi::kFarDefaultPalette;
using skimmer::farapi::kFarPaletteSize;

TEST(FarPalette, HasFar170Size) {
    EXPECT_EQ(kFarPaletteSize, 112);
    EXPECT_EQ(kFarDefaultPalette.size(), 112u);
}

TEST(FarPalette, IndicesMatchFar170Numbering) {
    EXPECT_EQ(COL_MENUSELECTEDTEXT, 1);
    EXPECT_EQ(COL_PANELTEXT, 10);
    EXPECT_EQ(COL_DIALOGTEXT, 21);
    EXPECT_EQ(COL_COMMANDLINE, 48);
    EXPECT_EQ(COL_DIALOGEDITUNCHANGED, 63);
    EXPECT_EQ(COL_PANELBOX, 66);
    EXPECT_EQ(COL_COMMANDLINESELECTED, 69);
    EXPECT_EQ(COL_RESERVED0, 71);
    EXPECT_EQ(COL_DIALOGEDITDISABLED, 77);
    EXPECT_EQ(COL_WARNDIALOGCOMBOSCROLLBAR, 111);
}

TEST(FarPalette, DefaultsMatchFar170) {
    EXPECT_EQ(kFarDefaultPalette[COL_MENUTEXT], 0x3F);
    EXPECT_EQ(kFarDefaultPalette[COL_PANELTEXT], 0x1B);
    EXPECT_EQ(kFarDefaultPalette[COL_PANELSELECTEDTEXT], 0x1E);
    EXPECT_EQ(kFarDefaultPalette[COL_PANELCURSOR], 0x30);
    EXPECT_EQ(kFarDefaultPalette[COL_DIALOGTEXT], 0x70);
    EXPECT_EQ(kFarDefaultPalette[COL_DIALOGEDIT], 0x30);
    EXPECT_EQ(kFarDefaultPalette[COL_WARNDIALOGTEXT], 0x4F);
    EXPECT_EQ(kFarDefaultPalette[COL_KEYBARNUM], 0x07);
    EXPECT_EQ(kFarDefaultPalette[COL_PANELSCREENSNUMBER], 0x0B);
    EXPECT_EQ(kFarDefaultPalette[COL_RESERVED0], 0x00);
    EXPECT_EQ(kFarDefaultPalette[COL_DIALOGLISTSCROLLBAR], 0x70);
    EXPECT_EQ(kFarDefaultPalette[COL_WARNDIALOGCOMBODISABLED], 0x38);
    EXPECT_EQ(kFarDefaultPalette[COL_WARNDIALOGCOMBOSCROLLBAR], 0x3F);
}

TEST(FarPalette, ColourNamesBuildAttributes) {
    EXPECT_EQ(F_WHITE | B_BLUE, 0x1F);
    EXPECT_EQ(F_BLACK | B_CYAN, kFarDefaultPalette[COL_PANELCURSOR]);
    EXPECT_EQ(F_YELLOW | B_RED, 0x4E);
}

}  // namespace
