// The window's arithmetic: sizes for every mode, the places of the items in both layouts, the
// growth of the glued window, the counter and the colours answered to the host.
#include "search/window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace skimmer::search {
namespace {

struct SizeCase {
    const char* name;
    WindowSettings settings;
    ConsoleState console;
    int32_t keptLines;
    int32_t W, H;
};

WindowSettings with(auto change) {
    WindowSettings s;
    change(s);
    return s;
}

class WindowSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(WindowSizes, FollowModeAndConsole) {
    const SizeCase& c = GetParam();
    const WindowSize size = windowSize(c.settings, c.console, c.keptLines);
    EXPECT_EQ(size.W, c.W);
    EXPECT_EQ(size.H, c.H);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, WindowSizes,
    ::testing::Values(
        SizeCase{"content_with_extensions", {}, {120, 40, 0, ""}, -1, 54, 35},
        SizeCase{"content_without_extensions", with([](auto& s) { s.ShowExtentions = false; }), {120, 40, 0, ""}, -1, 50, 35},
        SizeCase{"full_info_fixed", with([](auto& s) { s.FullInfo = true; }), {120, 40, 0, ""}, -1, 78, 35},
        SizeCase{"full_info_widths_cut_by_console",
                 with([](auto& s) { s.FullInfo = true; s.FIDontUse = false; s.FIWidths = "100,10,40"; }),
                 {120, 40, 0, ""}, -1, 117, 35},
        SizeCase{"full_info_widths_never_past_128",
                 with([](auto& s) { s.FullInfo = true; s.FIDontUse = false; s.FIWidths = "100,10,40"; }),
                 {300, 40, 0, ""}, -1, 128, 35},
        SizeCase{"full_info_widths_sum_plus_3",
                 with([](auto& s) { s.FullInfo = true; s.FIDontUse = false; s.FIWidths = "26,6,30"; }),
                 {120, 40, 0, ""}, -1, 65, 35},
        SizeCase{"full_info_widths_glued_minus_cursor",
                 with([](auto& s) { s.FullInfo = true; s.FIDontUse = false; s.FIWidths = "100,10,40"; s.PositionW = true; }),
                 {120, 40, 17, ""}, -1, 100, 38},
        SizeCase{"console_mode", with([](auto& s) { s.WindowMode = 1; }), {100, 30, 5, ""}, -1, 97, 25},
        SizeCase{"console_mode_glued", with([](auto& s) { s.WindowMode = 1; s.PositionW = true; }), {100, 30, 5, ""}, -1, 92, 28},
        SizeCase{"custom", with([](auto& s) { s.WindowMode = 2; s.WindowWidth = "60"; s.WindowHeight = "20"; }), {100, 30, 0, ""}, -1, 60, 20},
        SizeCase{"custom_not_a_number_takes_defaults", with([](auto& s) { s.WindowMode = 2; s.WindowWidth = "6O"; s.WindowHeight = ""; }), {100, 30, 0, ""}, -1, 50, 23},
        SizeCase{"custom_larger_than_console_is_cut", with([](auto& s) { s.WindowMode = 2; s.WindowWidth = "1000"; s.WindowHeight = "-4"; }), {100, 30, 0, ""}, -1, 100, 8},
        SizeCase{"growing_fresh_starts_at_3", with([](auto& s) { s.PositionW = true; s.Animation = true; }), {120, 40, 0, ""}, -1, 54, 3},
        SizeCase{"growing_kept_lines", with([](auto& s) { s.PositionW = true; s.Animation = true; }), {120, 40, 0, ""}, 10, 54, 13},
        SizeCase{"growing_kept_lines_at_most_console_minus_3", with([](auto& s) { s.PositionW = true; s.Animation = true; }), {120, 40, 0, ""}, 100, 54, 37},
        SizeCase{"animation_without_glue_does_not_grow", with([](auto& s) { s.Animation = true; }), {120, 40, 0, ""}, -1, 54, 35},
        SizeCase{"tiny_console", {}, {10, 4, 0, ""}, -1, 10, 3}),
    [](const auto& info) { return std::string(info.param.name); });

struct ItemsCase {
    const char* name;
    WindowSettings settings;
    size_t count;
    // frame, edit, list: x1, y1, x2, y2
    int frame[4], edit[4], list[4];
    int frameType;
};

class WindowItems : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(WindowItems, PlacesFrameEditAndList) {
    const ItemsCase& c = GetParam();
    const std::vector<FarDialogItem> items =
        windowItems(c.settings, {60, 30}, {"&View", "&Temp panel", "&Full info", "&Settings", "&Go to file"}, "Skimmer");
    ASSERT_EQ(items.size(), c.count);
    auto rect = [](const FarDialogItem& i) { return std::vector<int>{i.X1, i.Y1, i.X2, i.Y2}; };
    EXPECT_EQ(rect(items[kItemFrame]), std::vector<int>(c.frame, c.frame + 4));
    EXPECT_EQ(rect(items[kItemEdit]), std::vector<int>(c.edit, c.edit + 4));
    EXPECT_EQ(rect(items[kItemList]), std::vector<int>(c.list, c.list + 4));
    EXPECT_EQ(items[kItemFrame].Type, c.frameType);
    EXPECT_STREQ(items[kItemFrame].Data, "Skimmer");
    EXPECT_EQ(items[kItemEdit].Focus, 1);
    EXPECT_EQ(items[kItemList].Type, DI_USERCONTROL);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WindowItems,
    ::testing::Values(
        ItemsCase{"centred_with_buttons", {}, 10, {3, 1, 56, 28}, {4, 25, 55, 25}, {4, 2, 55, 23}, DI_DOUBLEBOX},
        ItemsCase{"centred_without_buttons", with([](auto& s) { s.HideButtons = true; }), 4, {3, 1, 56, 28}, {4, 27, 55, 27}, {4, 2, 55, 25}, DI_DOUBLEBOX},
        ItemsCase{"glued_single_box", with([](auto& s) { s.PositionW = true; s.Style = 1; }), 4, {0, 0, 59, 29}, {1, 29, 58, 29}, {1, 1, 58, 27}, DI_SINGLEBOX},
        ItemsCase{"glued_title_line", with([](auto& s) { s.PositionW = true; s.Style = 2; }), 3, {0, 0, 59, 0}, {0, 29, 59, 29}, {0, 1, 59, 27}, DI_DOUBLEBOX}),
    [](const auto& info) { return std::string(info.param.name); });

struct ButtonsCase {
    const char* name;
    int width;
    std::vector<std::string> texts;
    int expected[5][2];  // x1, x2 of each button
};

class WindowButtons : public ::testing::TestWithParam<ButtonsCase> {};

// The buttons sit on row H - 3 from column 5, each as wide as its visible text plus 4, apart by
// one; a window too narrow for that drops the gaps, then the margin, so that no button reaches the
// frame.
TEST_P(WindowButtons, FollowOneAnotherInsideTheFrame) {
    const ButtonsCase& c = GetParam();
    const std::vector<FarDialogItem> items = windowItems({}, {c.width, 30}, c.texts, "");
    for (int i = 0; i < 5; ++i) {
        const FarDialogItem& button = items[kItemFirstButton + i];
        EXPECT_EQ(button.Type, DI_BUTTON);
        EXPECT_EQ(button.Y1, 27);
        EXPECT_EQ(button.X1, c.expected[i][0]) << i;
        EXPECT_EQ(button.X2, c.expected[i][1]) << i;
        EXPECT_LE(button.X2, c.width - 5) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowButtons,
    ::testing::Values(
        ButtonsCase{"wide_window_long_texts", 80, {"&View", "&Temp panel", "&Full info", "&Settings", "&Go to file"},
                    {{5, 12}, {14, 27}, {29, 41}, {43, 54}, {56, 69}}},
        ButtonsCase{"room_for_gaps", 60, {"&View", "&Temp", "&Full", "&Setup", "&Go to"},
                    {{5, 12}, {14, 21}, {23, 30}, {32, 40}, {42, 50}}},
        ButtonsCase{"no_room_for_gaps", 50, {"&View", "&Temp", "&Full", "&Setup", "&Go to"},
                    {{4, 11}, {12, 19}, {20, 27}, {28, 36}, {37, 45}}},
        // a wide character takes two cells of the button
        ButtonsCase{"wide_characters", 80, {"&表示", "&一時", "&全部", "&設定", "&移動"},
                    {{5, 12}, {14, 21}, {23, 30}, {32, 39}, {41, 48}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct GrowCase {
    const char* name;
    bool growing;
    int32_t currentH, lines, consoleHeight;
    bool force;
    int32_t expected;
};

class WindowGrowth : public ::testing::TestWithParam<GrowCase> {};

TEST_P(WindowGrowth, FollowsTheLinesUpToTheConsole) {
    const GrowCase& c = GetParam();
    WindowSettings s;
    s.PositionW = c.growing;
    s.Animation = true;
    EXPECT_EQ(grownHeight(s, c.currentH, c.lines, c.consoleHeight, c.force), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Growth, WindowGrowth,
                         ::testing::Values(GrowCase{"not_glued", false, 3, 10, 40, false, -1},
                                           GrowCase{"grows_with_lines", true, 3, 10, 40, false, 13},
                                           GrowCase{"capped_by_console", true, 20, 100, 40, false, 36},
                                           GrowCase{"full_and_unchanged", true, 36, 34, 40, false, -1},
                                           GrowCase{"forced_even_when_unchanged", true, 36, 34, 40, true, 36},
                                           GrowCase{"no_lines_keeps_3", true, 3, 0, 40, false, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CounterCase {
    const char* name;
    bool glued, all;
    int32_t hits;
    const char* text;
    int item;
};

class Counter : public ::testing::TestWithParam<CounterCase> {};

TEST_P(Counter, TextAndPlace) {
    const CounterCase& c = GetParam();
    WindowSettings s;
    s.PositionW = c.glued;
    s.AllResults = c.all;
    EXPECT_EQ(counterText(s, "Hits: ", c.hits), c.text);
    EXPECT_EQ(counterItem(s), c.item);
}

INSTANTIATE_TEST_SUITE_P(Counters, Counter,
                         ::testing::Values(CounterCase{"centred_cut", false, false, 12, " Hits: 12  *", kItemCounter},
                                           CounterCase{"centred_all", false, true, 0, " Hits: 0 ", kItemCounter},
                                           CounterCase{"glued_cut", true, false, 7, "Skimmer / Hits: 7 *", kItemFrame},
                                           CounterCase{"glued_all", true, true, 7, "Skimmer / Hits: 7", kItemFrame}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ColorCase {
    const char* name;
    int style;
    bool glued;
    int item;
    bool focused;
    uint32_t expected;
};

class Colors : public ::testing::TestWithParam<ColorCase> {};

// The palette holds its own index in every byte, so each answer names the entries it used.
TEST_P(Colors, AnswerThePalettesEntries) {
    const ColorCase& c = GetParam();
    std::vector<uint8_t> palette(112);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i);
    WindowSettings s;
    s.Style = c.style;
    s.PositionW = c.glued;
    EXPECT_EQ(itemColors(s, palette, c.item, c.focused, 0xAABBCCDD), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, Colors,
    ::testing::Values(ColorCase{"frame_style0", 0, false, kItemFrame, false, 0xF0F0F0F0},
                      ColorCase{"counter_style1", 1, false, kItemCounter, false, 0x42424242},
                      ColorCase{"separator_style2", 2, false, kItemSeparator, false, 0x17171717},
                      ColorCase{"edit_glued_any_style", 0, true, kItemEdit, false, 0x15304530},
                      ColorCase{"edit_style0", 0, false, kItemEdit, false, 0xF0F00FF0},
                      ColorCase{"edit_style2", 2, false, kItemEdit, false, 0x3F4D441A},
                      ColorCase{"button_focused_style0", 0, false, 5, true, 0xAABB040F},
                      ColorCase{"button_style1", 1, false, 8, false, 0xAABB120A},
                      ColorCase{"button_focused_style1", 1, false, 4, true, 0xAABB0F0E},
                      ColorCase{"button_style2_left_to_host", 2, false, 6, true, 0xAABBCCDD},
                      ColorCase{"list_left_to_host", 0, false, kItemList, false, 0xAABBCCDD}),
    [](const auto& info) { return std::string(info.param.name); });

// Glued to the command line: the window's left edge is where the line's text starts on screen,
// counted in cells as the host draws it, whatever the text's bytes.
struct PlaceCase {
    const char* name;
    int32_t style;
    std::string panelDir, commandLine;
    int32_t cursorChars;  // the command line's cursor, in characters
    int32_t cursorX;      // the cursor's console column
    int32_t x;            // the window's left edge
};

class GluedPlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(GluedPlace, StartsWhereTheCommandLineTextStarts) {
    const PlaceCase& c = GetParam();
    WindowSettings s;
    s.PositionW = true;
    s.Style = c.style;
    ConsoleState console{100, 30, 0, c.commandLine};
    console.CursorX = commandLineCursorX(c.panelDir, c.commandLine, c.cursorChars, console.Width);
    EXPECT_EQ(console.CursorX, c.cursorX);
    const WindowPlace place = windowPlace(s, console, {40, 10});
    EXPECT_EQ(place.X, c.x);
    EXPECT_EQ(place.Y, 30 - 10 - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GluedPlace,
    ::testing::Values(PlaceCase{"ascii", 2, "/home/ann", "report", 6, 16, 10},
                      PlaceCase{"ascii_single_box_style", 1, "/home/ann", "report", 6, 16, 9},
                      PlaceCase{"latin_two_bytes_a_cell", 2, "/home/ann", "résumé", 6, 16, 10},
                      PlaceCase{"wide_two_cells", 2, "/home/ann", "日本語", 3, 16, 10},
                      PlaceCase{"wide_folder_in_the_prompt", 2, "/home/日本", "ab", 2, 13, 11},
                      PlaceCase{"empty_line", 2, "/tmp", "", 0, 5, 5},
                      PlaceCase{"cursor_past_the_console", 2, std::string(200, 'x'), "ab", 2, 99, 60}),
    [](const auto& info) { return std::string(info.param.name); });

// The room a line's text has in the list: its width less the margin and the scroll bar.
struct RoomCase {
    const char* name;
    bool glued;
    int32_t style;
    int32_t W;
    int32_t cells;
};

class ListRoom : public ::testing::TestWithParam<RoomCase> {};

TEST_P(ListRoom, IsTheListWidthLessMarginAndScrollBar) {
    const RoomCase& c = GetParam();
    WindowSettings s;
    s.PositionW = c.glued;
    s.Style = c.style;
    const std::vector<FarDialogItem> items = windowItems(s, {c.W, 20}, {}, "");
    const FarDialogItem& list = items[kItemList];
    EXPECT_EQ(listTextCells(s, {c.W, 20}), c.cells);
    EXPECT_EQ(std::max(list.X2 - list.X1 + 1 - 3 - 1, 0), c.cells);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ListRoom,
                         ::testing::Values(RoomCase{"centred", false, 2, 54, 42}, RoomCase{"glued", true, 2, 60, 56},
                                           RoomCase{"glued_single_box", true, 1, 60, 54},
                                           RoomCase{"too_narrow", false, 2, 9, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::search
