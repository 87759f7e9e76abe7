#include "host/app/command_line.h"

#include <gtest/gtest.h>

namespace skimmer::host::app {
namespace {

namespace k = term::key;

TEST(CommandLine, EditsByCodePoints) {
    CommandLine c;
    for (char32_t ch : {U'a', U'ж', U'中', U'b'}) c.handleKey(ch);
    EXPECT_EQ(c.text(), "aж中b");
    c.handleKey(k::LEFT);
    c.handleKey(k::BS);  // removes 中 whole
    EXPECT_EQ(c.text(), "aжb");
    c.handleKey(k::HOME);
    c.handleKey(k::DEL);
    EXPECT_EQ(c.text(), "жb");
    EXPECT_EQ(c.cursorColumn(), 0);
    c.setCursorColumn(1);
    c.insert("X");
    EXPECT_EQ(c.text(), "жXb");
    c.handleKey(k::ESC);
    EXPECT_EQ(c.text(), "");
    EXPECT_FALSE(c.handleKey(k::F(3)));
    EXPECT_FALSE(c.handleKey(k::kCtrl | 'Q'));
}

TEST(CommandLine, PasteNeverRunsAnything) {
    CommandLine c;
    c.insertPaste("rm -rf x\r\necho y\n");
    EXPECT_EQ(c.text(), "rm -rf x echo y ");
}

TEST(CommandLine, HistoryRecallsNewestFirstWithoutDuplicates) {
    CommandLine c;
    for (const char* line : {"one", "two", "one"}) {
        c.setText(line);
        EXPECT_EQ(c.take(), line);
    }
    EXPECT_EQ(c.history(), (std::vector<std::string>{"two", "one"}));
    c.handleKey(k::kCtrl | 'E');
    EXPECT_EQ(c.text(), "one");
    c.handleKey(k::kCtrl | 'E');
    EXPECT_EQ(c.text(), "two");
    c.handleKey(k::kCtrl | 'X');
    EXPECT_EQ(c.text(), "one");
    c.handleKey(k::kCtrl | 'X');
    EXPECT_EQ(c.text(), "");
    for (size_t i = 0; i < CommandLine::kHistoryLimit + 10; ++i) {
        c.setText("cmd" + std::to_string(i));
        c.take();
    }
    EXPECT_EQ(c.history().size(), CommandLine::kHistoryLimit);
}

TEST(CommandLine, DrawScrollsToKeepTheCursorVisible) {
    CommandLine c;
    c.setText(std::string(30, 'x') + "END");
    term::CellBuffer b(20, 1);
    c.draw(b, 0, "/dir>", true);
    EXPECT_EQ(b.textAt(0).substr(0, 5), "/dir>");
    EXPECT_NE(b.textAt(0).find("END"), std::string::npos);
    EXPECT_TRUE(b.cursor().visible);
    EXPECT_LT(b.cursor().x, 20);
    EXPECT_EQ(b.cursor().y, 0);
}

}  // namespace
}  // namespace skimmer::host::app
