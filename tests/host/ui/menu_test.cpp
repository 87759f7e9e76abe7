// FAR's Menu service: choosing, Esc, hot keys, break keys, scrolling, wrap mode, separators,
// check marks and the extended items.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/ui/ui_harness.h"
#include "host/ui/menu_window.h"

namespace skimmer::host::ui::test {
namespace {

FarMenuItem menuItem(std::string_view text, int checked = 0, int separator = 0, int selected = 0) {
    FarMenuItem out{};
    text.copy(out.Text, sizeof out.Text - 1);
    out.Checked = checked;
    out.Separator = separator;
    out.Selected = selected;
    return out;
}

std::vector<FarMenuItem> fruit() {
    return {menuItem("&Apple"), menuItem("&Banana", 1), menuItem("", 0, 1), menuItem("&Cherry", '*'), menuItem("&Date")};
}

int runMenu(std::vector<FarMenuItem>& items, DWORD flags = 0, const int* breakKeys = nullptr, int* breakCode = nullptr,
            int maxHeight = 0) {
    int ignored = 0;
    return Menu(0, -1, -1, maxHeight, flags, "Fruit", "Pick one", "", breakKeys, breakCode ? breakCode : &ignored,
                items.data(), static_cast<int>(items.size()));
}

// The menu above is 14 wide (the bottom line is its widest text) and 7 high, centred: frame at
// (33, 9)..(46, 15), entries on rows 10..14.
constexpr int kMenuX = 33, kMenuY = 9;

TEST(Menu, ShowsTitleBottomMarksAndSeparatorsInMenuColours) {
    UiHarness ui;
    auto items = fruit();
    ui.events.then([&] {
        const auto& pal = farapi::kFarDefaultPalette;
        EXPECT_NE(ui.find(kMenuY, "Fruit"), -1);
        EXPECT_NE(ui.find(kMenuY + 6, "Pick one"), -1);
        EXPECT_EQ(ui.find(kMenuY + 1, "Apple"), kMenuX + 2);
        EXPECT_EQ(ui.attr(kMenuX + 2, kMenuY + 1), pal[COL_MENUSELECTEDHIGHLIGHT]) << "hot key of the current entry";
        EXPECT_EQ(ui.attr(kMenuX + 3, kMenuY + 1), pal[COL_MENUSELECTEDTEXT]);
        EXPECT_EQ(ui.attr(kMenuX + 2, kMenuY + 2), pal[COL_MENUHIGHLIGHT]);
        EXPECT_EQ(ui.attr(kMenuX + 3, kMenuY + 2), pal[COL_MENUTEXT]);
        EXPECT_EQ(ui.find(kMenuY + 2, "\u221ABanana"), kMenuX + 1) << "the standard check mark";
        EXPECT_EQ(ui.find(kMenuY + 3, "\u255F\u2500"), kMenuX);
        EXPECT_EQ(ui.find(kMenuY + 4, "*Cherry"), kMenuX + 1) << "a character as check mark";
        EXPECT_EQ(ui.attr(kMenuX, kMenuY), pal[COL_MENUBOX]);
    });
    ui.events.key(KEY_ESC);
    EXPECT_EQ(runMenu(items), -1);
    EXPECT_EQ(ui.row(kMenuY), std::string(80, '.'));
}

TEST(Menu, ArrowsSkipSeparatorsAndEnterChooses) {
    UiHarness ui;
    auto items = fruit();
    ui.events.key(KEY_DOWN).key(KEY_DOWN).key(KEY_ENTER);
    EXPECT_EQ(runMenu(items), 3);
}

TEST(Menu, WrapModeGoesRoundTheEndsAndWithoutItStops) {
    {
        UiHarness ui;
        auto items = fruit();
        ui.events.key(KEY_UP).key(KEY_ENTER);
        EXPECT_EQ(runMenu(items), 0);
    }
    {
        UiHarness ui;
        auto items = fruit();
        ui.events.key(KEY_UP).key(KEY_ENTER);
        EXPECT_EQ(runMenu(items, FMENU_WRAPMODE), 4);
    }
    {
        UiHarness ui;
        auto items = fruit();
        ui.events.key(KEY_END).key(KEY_DOWN).key(KEY_ENTER);
        EXPECT_EQ(runMenu(items, FMENU_WRAPMODE), 0);
    }
}

TEST(Menu, HotKeysChooseAtOnceUnlessAmpersandsAreShown) {
    {
        UiHarness ui;
        auto items = fruit();
        ui.events.type("c");
        EXPECT_EQ(runMenu(items), 3);
    }
    {
        UiHarness ui;
        auto items = fruit();
        ui.events.key(KEY_ALT | 'D');
        EXPECT_EQ(runMenu(items), 4);
    }
    {
        UiHarness ui;
        auto items = fruit();
        ui.events.then([&] { EXPECT_NE(ui.find(kMenuY + 1, "&Apple"), -1); }).type("c").key(KEY_ESC);
        EXPECT_EQ(runMenu(items, FMENU_SHOWAMPERSAND), -1);
    }
}

TEST(Menu, AutoHighlightGivesEntriesWithoutMarksAFreeLetter) {
    UiHarness ui;
    std::vector<FarMenuItem> items = {menuItem("Apple"), menuItem("Apricot"), menuItem("&Pear")};
    ui.events.then([&] {
        int y = 0;
        while (y < 24 && ui.find(y, "Apple") == -1) ++y;
        const int x = ui.find(y, "Apple");
        ASSERT_NE(x, -1);
        EXPECT_EQ(ui.attr(x, y), farapi::kFarDefaultPalette[COL_MENUSELECTEDHIGHLIGHT]) << "A of Apple";
        const int x2 = ui.find(y + 1, "Apricot");
        EXPECT_EQ(ui.attr(x2 + 2, y + 1), farapi::kFarDefaultPalette[COL_MENUHIGHLIGHT]) << "r: A and p are taken";
    });
    ui.events.type("r");
    EXPECT_EQ(runMenu(items, FMENU_AUTOHIGHLIGHT), 1);
}

TEST(Menu, BreakKeysEndTheMenuWithTheirIndexAndTheCurrentEntry) {
    UiHarness ui;
    auto items = fruit();
    const int breakKeys[] = {VK_F4, VK_INSERT, VK_DELETE, VK_UP | (PKF_CONTROL << 16), 0};
    int breakCode = 9;
    ui.events.key(KEY_DOWN).key(KEY_CTRLUP);
    EXPECT_EQ(runMenu(items, 0, breakKeys, &breakCode), 1);
    EXPECT_EQ(breakCode, 3);
    ui.events.key(KEY_DEL);
    EXPECT_EQ(runMenu(items, 0, breakKeys, &breakCode), 0);
    EXPECT_EQ(breakCode, 2);
    ui.events.key(KEY_ENTER);
    EXPECT_EQ(runMenu(items, 0, breakKeys, &breakCode), 0);
    EXPECT_EQ(breakCode, -1);
}

TEST(Menu, BreakKeyForms) {
    EXPECT_EQ(breakKeyOf(KEY_F4), VK_F4);
    EXPECT_EQ(breakKeyOf(KEY_CTRLDOWN), VK_DOWN | PKF_CONTROL << 16);
    EXPECT_EQ(breakKeyOf(KEY_SHIFTF9), VK_F9 | PKF_SHIFT << 16);
    EXPECT_EQ(breakKeyOf(KEY_ALT | 'x'), 'X' | PKF_ALT << 16);
    EXPECT_EQ(breakKeyOf(KEY_ENTER), VK_RETURN);
    EXPECT_EQ(breakKeyOf(0x416), -1) << "a Cyrillic letter has no virtual-key code";
}

TEST(Menu, ScrollsWithinItsMaximumHeight) {
    UiHarness ui;
    std::vector<FarMenuItem> items;
    for (int i = 0; i < 20; ++i) items.push_back(menuItem("Entry " + std::to_string(i)));
    items[12].Selected = 1;
    int top = -1;
    ui.events.then([&] {
        for (int y = 0; y < 25 && top < 0; ++y)
            if (ui.find(y, "Fruit") != -1) top = y;
        EXPECT_NE(ui.find(top + 5, "Entry 12"), -1) << "the selected entry is scrolled into the last row";
        EXPECT_EQ(ui.find(top + 6, "Entry 13"), -1) << "five rows at most";
        EXPECT_NE(ui.row(top + 1).find("\u25B2"), std::string::npos) << "a scroll bar on the frame";
    });
    ui.events.key(KEY_PGDN).key(KEY_DOWN).then([&] { EXPECT_NE(ui.find(top + 5, "Entry 17"), -1); });
    ui.events.key(KEY_HOME).then([&] { EXPECT_NE(ui.find(top + 1, "Entry 0"), -1); });
    ui.events.key(KEY_END).key(KEY_ENTER);
    EXPECT_EQ(runMenu(items, 0, nullptr, nullptr, 5), 19);
}

TEST(Menu, ExtendedItemsHideDisableAndAccelerate) {
    UiHarness ui;
    std::vector<FarMenuItemEx> items(4);
    auto set = [&](int i, const char* text, DWORD flags, DWORD accel = 0) {
        std::strcpy(items[i].Text.Text, text);
        items[i].Flags = flags;
        items[i].AccelKey = accel;
    };
    set(0, "Hidden", MIF_HIDDEN);
    set(1, "Off", MIF_DISABLE);
    set(2, "On", MIF_CHECKED, KEY_F5);
    const char* pointed = "Pointed";
    items[3].Flags = MIF_USETEXTPTR | MIF_SELECTED;
    items[3].Text.TextPtr = pointed;
    ui.events.then([&] {
        int y = -1;
        for (int row = 0; row < 25 && y < 0; ++row)
            if (ui.find(row, "Off") != -1) y = row;
        ASSERT_GE(y, 0);
        EXPECT_EQ(ui.find(y - 1, "Hidden"), -1);
        EXPECT_NE(ui.find(y + 1, "\u221AOn"), -1);
        EXPECT_NE(ui.find(y + 2, "Pointed"), -1);
        EXPECT_EQ(ui.attr(ui.find(y, "Off"), y), farapi::kFarDefaultPalette[COL_MENUDISABLEDTEXT]);
    });
    ui.events.key(KEY_UP).key(KEY_UP).key(KEY_ENTER);
    int breakCode = 0;
    EXPECT_EQ(Menu(0, -1, -1, 0, FMENU_USEEXT, "", "", "", nullptr, &breakCode,
                   reinterpret_cast<const FarMenuItem*>(items.data()), 4),
              2)
        << "Up stops at the disabled entry: it cannot be chosen";
    ui.events.key(KEY_F5);
    EXPECT_EQ(Menu(0, -1, -1, 0, FMENU_USEEXT, "", "", "", nullptr, &breakCode,
                   reinterpret_cast<const FarMenuItem*>(items.data()), 4),
              2);
}

TEST(Menu, AnEmptyMenuOnlyCancels) {
    UiHarness ui;
    std::vector<FarMenuItem> none;
    ui.events.key(KEY_PGDN).key(KEY_PGUP).key(KEY_DOWN).key(KEY_ENTER).type("a").key(KEY_ESC);
    EXPECT_EQ(runMenu(none), -1);
}

TEST(Menu, MouseClickChoosesAndClickOutsideCancels) {
    UiHarness ui;
    auto items = fruit();
    ui.events.click(kMenuX + 4, kMenuY + 5);
    EXPECT_EQ(runMenu(items), 4);
    ui.events.click(0, 0);
    EXPECT_EQ(runMenu(items), -1);
}

}  // namespace
}  // namespace skimmer::host::ui::test
