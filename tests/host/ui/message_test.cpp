// FAR's Message service: the standard button sets, buttons from the last lines, warning colours,
// alignment, FMSG_ALLINONE, separators and the box without buttons that stays on screen.
#include <gtest/gtest.h>

#include "tests/host/ui/ui_harness.h"
#include "host/ui/message_box.h"

#include <string>
#include <vector>

namespace skimmer::host::ui::test {
namespace {

int rowOf(UiHarness& ui, std::string_view text) {
    for (int y = 0; y < ui.cells().height(); ++y)
        if (ui.find(y, text) != -1) return y;
    return -1;
}

TEST(Message, StandardButtonSetsAnswerWithTheButtonsIndex) {
    UiHarness ui;
    const char* lines[] = {"Delete", "Delete the group?", "\"work\" ?"};
    ui.events.then([&] {
        const int y = rowOf(ui, "[ Yes ]");
        ASSERT_GE(y, 0);
        EXPECT_EQ(y, rowOf(ui, "[ No ]")) << "buttons share the row after the text";
        EXPECT_EQ(rowOf(ui, "Delete the group?") + 2, y);
    });
    ui.events.key(KEY_RIGHT).key(KEY_ENTER);
    EXPECT_EQ(Message(0, FMSG_MB_YESNO, "", lines, 3, 0), 1);
    ui.events.type("y");
    EXPECT_EQ(Message(0, FMSG_MB_YESNO, "", lines, 3, 0), 0) << "hot key Y";
    ui.events.key(KEY_ESC);
    EXPECT_EQ(Message(0, FMSG_MB_YESNO, "", lines, 3, 5), -1) << "ButtonsNumber ignored with a set";
    EXPECT_EQ(standardButtons(FMSG_MB_ABORTRETRYIGNORE).size(), 3u);
    EXPECT_EQ(standardButtons(FMSG_MB_RETRYCANCEL), (std::vector<std::string>{"&Retry", "Cancel"}));
}

TEST(Message, ButtonsAreTheLastLinesWhenGivenByNumber) {
    UiHarness ui;
    const char* lines[] = {"Title", "Body one", "Body two", "&First", "&Second", "&Third"};
    ui.events.then([&] {
        EXPECT_NE(rowOf(ui, "Body two"), -1);
        EXPECT_EQ(rowOf(ui, "[ First ]"), rowOf(ui, "[ Third ]"));
        EXPECT_EQ(rowOf(ui, "Body two") + 1, rowOf(ui, "[ Second ]"));
    });
    ui.events.key(KEY_TAB).key(KEY_TAB).key(KEY_ENTER);
    EXPECT_EQ(Message(0, 0, "", lines, 6, 3), 2);
}

// Buttons never reach past the frame: those that do not fit one row take more rows, in their
// order, and one wider than the box by itself is cut with "..." (the error box passes its whole
// error text as its only button).
struct WideButtons {
    const char* name;
    std::vector<std::string> buttons;
    std::vector<std::string> shown;  // each on a row of its own, in this order
    int answer;                      // after Tab presses equal to it, then Enter
};
void PrintTo(const WideButtons& c, std::ostream* out) { *out << c.name; }

class MessageWideButtons : public ::testing::TestWithParam<WideButtons> {};

TEST_P(MessageWideButtons, StayInsideTheFrame) {
    UiHarness ui(40, 12);
    std::vector<const char*> lines = {"Skimmer Error"};
    for (const auto& b : GetParam().buttons) lines.push_back(b.c_str());
    ui.events.then([&] {
        int previous = -1;
        for (const std::string& text : GetParam().shown) {
            const int y = rowOf(ui, text);
            ASSERT_GT(y, previous) << text;
            previous = y;
        }
        const int frame = rowOf(ui, "\u255a");  // the frame's bottom row
        ASSERT_GT(frame, previous);
        for (int y = 0; y < frame; ++y) {
            const std::string row = ui.row(y);
            const size_t right = row.rfind("\u2551");
            if (right != std::string::npos) {
                EXPECT_EQ(row.find(']', right), std::string::npos) << "past the frame: " << row;
            }
        }
    });
    for (int i = 0; i < GetParam().answer; ++i) ui.events.key(KEY_TAB);
    ui.events.key(KEY_ENTER);
    EXPECT_EQ(Message(0, FMSG_WARNING | FMSG_LEFTALIGN, "", lines.data(), static_cast<int>(lines.size()),
                      static_cast<int>(GetParam().buttons.size())),
              GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MessageWideButtons,
    ::testing::Values(
        WideButtons{"OneButtonLongerThanTheScreen",
                    {"Safecall error: '80004005' while fetching the rows of /home/user/documents/reports"},
                    {"[ Safecall error: '800040... ]"}, 0},
        WideButtons{"ButtonsThatNeedTwoRows", {"&Retry the whole search", "&Skip this folder", "&Cancel"},
                    {"[ Retry the whole search ]", "[ Skip this folder ]", "[ Cancel ]"}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Message, WarningColoursAndAlignment) {
    UiHarness ui;
    const char* lines[] = {"Skimmer Error", "Error: 30", "a much longer second line", "OK"};
    ui.events.then([&] {
        const int y = rowOf(ui, "Error: 30");
        const int x = ui.find(y, "Error: 30");
        EXPECT_EQ(ui.attr(x, y), farapi::kFarDefaultPalette[COL_WARNDIALOGTEXT]);
        EXPECT_GT(x, ui.find(y + 1, "a much")) << "centred by default";
        const int by = rowOf(ui, "Skimmer Error");
        EXPECT_EQ(ui.attr(ui.find(by, "Skimmer Error"), by), farapi::kFarDefaultPalette[COL_WARNDIALOGBOXTITLE]);
        const int bx = ui.find(rowOf(ui, "[ OK ]"), "[ OK ]");
        EXPECT_EQ(ui.attr(bx, rowOf(ui, "[ OK ]")), farapi::kFarDefaultPalette[COL_WARNDIALOGSELECTEDBUTTON]);
    });
    ui.events.key(KEY_ENTER);
    EXPECT_EQ(Message(0, FMSG_WARNING, "", lines, 4, 1), 0);
    ui.events.then([&] {
        const int y = rowOf(ui, "Error: 30");
        EXPECT_EQ(ui.find(y, "Error: 30"), ui.find(y + 1, "a much")) << "left-aligned";
    });
    ui.events.key(KEY_ESC);
    EXPECT_EQ(Message(0, FMSG_WARNING | FMSG_LEFTALIGN, "", lines, 4, 1), -1);
}

TEST(Message, AllInOneSplitsOneStringAndSeparatorsDrawLines) {
    UiHarness ui;
    const char* text = "Head\nline one\n\x01\nline two\nOk";
    ui.events.then([&] {
        const int y = rowOf(ui, "line one");
        EXPECT_NE(ui.find(y + 1, "\u255F\u2500"), -1) << "\\x01 is a single separator";
        EXPECT_EQ(rowOf(ui, "line two"), y + 2);
        EXPECT_NE(rowOf(ui, "Head"), -1);
    });
    ui.events.key(KEY_ENTER);
    EXPECT_EQ(Message(0, FMSG_ALLINONE, "", reinterpret_cast<const char* const*>(text), 0, 1), 0);
}

TEST(Message, WithoutButtonsItReturnsAtOnceAndStaysOnScreen) {
    UiHarness ui;
    const char* lines[] = {"Skimmer", "Opening..."};
    EXPECT_EQ(Message(0, 0, "", lines, 2, 0), -1);
    EXPECT_NE(rowOf(ui, "Opening..."), -1) << "still visible while the caller works";
    // The next window that closes over it restores what lay beneath that window, message included.
    auto items = standardItems();
    ui.events.key(KEY_ESC);
    runDialog(items);
    EXPECT_NE(rowOf(ui, "Opening..."), -1);
}

// A line wider than the screen wraps inside the frame (its end is what names the reason and the
// file); lines beyond the screen's height are left out so that the buttons always show.
struct LongTextCase {
    const char* name;
    int width, height;
    int lineCount;
    const char* lastWordShown;   // the end of the first line, found after wrapping
    const char* firstLeftOut;    // a line that does not fit the height, or nullptr
};

class MessageLongText : public ::testing::TestWithParam<LongTextCase> {};

TEST_P(MessageLongText, WrapsInsideTheFrameAndKeepsTheButtonsVisible) {
    const LongTextCase& c = GetParam();
    UiHarness ui(c.width, c.height);
    std::vector<std::string> text = {"Title"};
    for (int i = 0; i < c.lineCount; ++i)
        text.push_back("line " + std::to_string(i) + " moved to /home/u/.config/skimmer/registry.reg.bad-20261208T225600Z END" +
                       std::to_string(i));
    text.push_back("Fine");
    std::vector<const char*> lines;
    for (const auto& line : text) lines.push_back(line.c_str());
    ui.events.then([&] {
        const int buttons = rowOf(ui, "[ Fine ]");
        EXPECT_NE(buttons, -1);
        const int first = rowOf(ui, "line 0");
        ASSERT_NE(first, -1);
        const int end = rowOf(ui, c.lastWordShown);
        EXPECT_GT(end, first) << "the rest of the first line is on the rows below it";
        EXPECT_LT(end, buttons);
        if (c.firstLeftOut) {
            EXPECT_EQ(rowOf(ui, c.firstLeftOut), -1);
        }
        const int frameLeft = ui.find(first, "\u2551");
        for (int y = first; y < buttons; ++y) {
            const std::string row = ui.row(y);
            EXPECT_EQ(ui.find(y, "\u2551"), frameLeft) << row;
            EXPECT_EQ(row.substr(row.size() - 7), " \u2551   ") << "text stays one cell short of the frame: " << row;
        }
    });
    ui.events.key(KEY_ENTER);
    EXPECT_EQ(Message(0, FMSG_LEFTALIGN, "", lines.data(), static_cast<int>(lines.size()), 1), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, MessageLongText,
    ::testing::Values(LongTextCase{"OneLineOnANarrowScreen", 40, 12, 1, "END0", nullptr},
                      LongTextCase{"ManyLinesOnASmallScreen", 40, 12, 30, "END0", "line 29"},
                      LongTextCase{"WideScreenStillWrapsPastIt", 60, 25, 3, "END2", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Message, ErrorTypePrependsTheSystemsText) {
    MessageRequest request = messageFromItems(FMSG_ERRORTYPE, nullptr, 0, 0, "No such file or directory");
    ASSERT_EQ(request.lines.size(), 1u);
    EXPECT_EQ(request.lines[0], "No such file or directory");
    const char* lines[] = {"T", "b", "B1", "B2"};
    request = messageFromItems(0, lines, 4, 9, "");
    EXPECT_TRUE(request.lines.empty()) << "more buttons than lines: every line is a button";
    EXPECT_EQ(request.buttons.size(), 3u);
}

}  // namespace
}  // namespace skimmer::host::ui::test
