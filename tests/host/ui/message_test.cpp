// FAR's Message service: the standard button sets, buttons from the last lines, warning colours,
// alignment, FMSG_ALLINONE, separators and the box without buttons that stays on screen.
#include <gtest/gtest.h>

#include "tests/host/ui/ui_harness.h"
#include "host/ui/message_box.h"

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

TEST(Message, LongTextIsCutToTheScreenAndTheButtonsStayVisible) {
    UiHarness ui(40, 12);
    std::vector<std::string> text = {"Title"};
    for (int i = 0; i < 30; ++i) text.push_back("line " + std::to_string(i) + std::string(60, '-') + "END");
    text.push_back("Fine");
    std::vector<const char*> lines;
    for (const auto& line : text) lines.push_back(line.c_str());
    ui.events.then([&] {
        EXPECT_NE(rowOf(ui, "[ Fine ]"), -1);
        EXPECT_EQ(rowOf(ui, "END"), -1) << "long lines are cut inside the frame";
        EXPECT_EQ(rowOf(ui, "line 29"), -1);
        const int y = rowOf(ui, "line 0");
        ASSERT_NE(y, -1);
        const std::string row = ui.row(y);
        EXPECT_EQ(row.substr(row.size() - 8), "- \u2551   ") << "the text stops one cell short of the frame";
    });
    ui.events.key(KEY_ENTER);
    EXPECT_EQ(Message(0, FMSG_LEFTALIGN, "", lines.data(), static_cast<int>(lines.size()), 1), 0);
}

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
