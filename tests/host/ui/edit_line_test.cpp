// The edit field's text model and the hot-key label parser: pure functions, no screen.
#include <gtest/gtest.h>

#include "host/ui/edit_line.h"
#include "host/ui/hotkey_text.h"

namespace skimmer::host::ui {
namespace {

TEST(EditLine, UnchangedTextIsReplacedByTheFirstInsertion) {
    EditLine line("hello");
    line.setUnchanged(true);
    EXPECT_TRUE(line.insert("w"));
    EXPECT_EQ(line.text(), "w");
    EXPECT_FALSE(line.unchanged());
    EXPECT_TRUE(line.insert("x"));
    EXPECT_EQ(line.text(), "wx");
}

TEST(EditLine, MovingTheCursorKeepsAnUnchangedText) {
    EditLine line("hello");
    line.setUnchanged(true);
    line.home();
    EXPECT_FALSE(line.unchanged());
    line.insert(">");
    EXPECT_EQ(line.text(), ">hello");
}

TEST(EditLine, DelTakesAnUnchangedTextAndBackspaceOneCharacter) {
    EditLine line("hello");
    line.setUnchanged(true);
    EXPECT_TRUE(line.backspace());
    EXPECT_EQ(line.text(), "hell");
    EXPECT_FALSE(line.unchanged());
    line.setUnchanged(true);
    EXPECT_TRUE(line.deleteForward());
    EXPECT_EQ(line.text(), "");
}

TEST(EditLine, DeletionsWorkOnCodePoints) {
    EditLine line("a\xC3\xA9z");  // a, e-acute, z
    EXPECT_EQ(line.cursor(), 3);
    line.left();
    EXPECT_TRUE(line.backspace());
    EXPECT_EQ(line.text(), "az");
    line.home();
    EXPECT_TRUE(line.deleteForward());
    EXPECT_EQ(line.text(), "z");
    line.end();
    EXPECT_FALSE(line.deleteForward());
}

TEST(EditLine, TheByteLimitNeverSplitsACharacter) {
    EditLine line("", 5);
    EXPECT_TRUE(line.insert("ab\xE2\x82\xAC\xE2\x82\xAC"));  // ab + two euro signs (3 bytes each)
    EXPECT_EQ(line.text(), "ab\xE2\x82\xAC");
    EXPECT_FALSE(line.insert("c"));
    line.setMaxBytes(3);
    EXPECT_EQ(line.text(), "ab");
}

TEST(EditLine, OddBytesSurviveARoundTripAndControlsAreDropped) {
    const std::string odd = "na\xFFme\xC0";
    EditLine line(odd);
    EXPECT_EQ(line.text(), odd);
    EXPECT_EQ(line.codePoints().size(), 6u);
    line.insert("\t\x1B[2J!");
    EXPECT_EQ(line.text(), odd + "[2J!");
}

TEST(EditLine, WordMovesAndScrollKeepTheCursorInView) {
    EditLine line("one two three");
    line.wordLeft();
    EXPECT_EQ(line.cursor(), 8);
    line.wordLeft();
    EXPECT_EQ(line.cursor(), 4);
    line.wordRight();
    EXPECT_EQ(line.cursor(), 8);
    line.end();
    EXPECT_EQ(line.scrollFor(5), 9) << "13 characters, cursor after them, 5 cells: 4 shown plus the cursor";
    line.home();
    EXPECT_EQ(line.scrollFor(5), 0);
}

TEST(HotkeyText, MarksParseAndFold) {
    auto label = parseHotkey("&Save");
    EXPECT_EQ(label.shown(), "Save");
    EXPECT_EQ(label.key, U'S');
    EXPECT_EQ(parseHotkey("Fish && &chips").shown(), "Fish & chips");
    EXPECT_EQ(parseHotkey("Fish && &chips").key, U'C');
    EXPECT_EQ(parseHotkey("&a&b").shown(), "ab") << "only the first mark counts";
    EXPECT_EQ(parseHotkey("&a", true).shown(), "&a");
    EXPECT_EQ(parseHotkey("&a", true).key, 0u);
    EXPECT_EQ(parseHotkey("end&").shown(), "end&");
    EXPECT_EQ(parseHotkey("\xD0\x94&\xD0\xB0").key, U'\u0410') << "Cyrillic a folds to A";
    EXPECT_EQ(foldKey(U'q'), U'Q');
}

}  // namespace
}  // namespace skimmer::host::ui
