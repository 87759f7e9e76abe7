#include "host/app/file_panel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "host/app/display_name.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::app {
namespace {

namespace fs = std::filesystem;

TEST(DisplayName, EscapesWhatMustNotReachTheTerminal) {
    EXPECT_EQ(displayName("plain ä 中.txt"), "plain ä 中.txt");
    EXPECT_EQ(displayName("a\x1B[2Jb"), "a\\x1B[2Jb");
    EXPECT_EQ(displayName("bad\xFF\xFE"), "bad\\xFF\\xFE");
    EXPECT_EQ(displayName("x\xC2\x9By"), "x\\x9By");
    EXPECT_EQ(displayName("rtl\xE2\x80\xAEtxt"), "rtl\\u202Etxt");
    EXPECT_EQ(displayName("nl\n"), "nl\\x0A");
}

struct PanelFolder {
    test::TempHome home;
    fs::path dir = home.root() / "panel";
    PanelFolder() {
        fs::create_directories(dir / "zeta");
        fs::create_directories(dir / "alpha");
        std::ofstream(dir / "b.txt") << "12345";
        std::ofstream(dir / "a.sh") << "#!/bin/sh";
        fs::permissions(dir / "a.sh", fs::perms::owner_exec, fs::perm_options::add);
        std::ofstream(dir / ("evil\x1B[2J")) << "";
    }
};

TEST(FilePanel, ListsUpFoldersThenFilesByName) {
    PanelFolder f;
    FilePanel p;
    std::string error;
    ASSERT_TRUE(p.open(f.dir, error)) << error;
    std::vector<std::string> names;
    for (const auto& e : p.entries()) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "alpha", "zeta", "a.sh", "b.txt", "evil\x1B[2J"}));
    EXPECT_TRUE(p.entries()[3].isExecutable);
    EXPECT_EQ(p.entries()[4].size, 5u);
}

TEST(FilePanel, EntersFoldersAndComesBackOnTheFolderItLeft) {
    PanelFolder f;
    FilePanel p;
    std::string error;
    ASSERT_TRUE(p.open(f.dir, error));
    p.setCurrent("zeta");
    ASSERT_TRUE(p.enterCurrent(error)) << error;
    EXPECT_EQ(p.dir(), f.dir / "zeta");
    ASSERT_EQ(p.currentEntry()->name, "..");
    ASSERT_TRUE(p.enterCurrent(error));
    EXPECT_EQ(p.dir(), f.dir);
    EXPECT_EQ(p.currentEntry()->name, "zeta");
    p.setCurrent("b.txt");
    EXPECT_FALSE(p.enterCurrent(error));  // a file: not a folder, no error
    EXPECT_TRUE(error.empty());
}

TEST(FilePanel, AFolderThatCannotBeReadLeavesThePanelWhereItWas) {
    PanelFolder f;
    FilePanel p;
    std::string error;
    ASSERT_TRUE(p.open(f.dir, error));
    EXPECT_FALSE(p.open(f.dir / "missing", error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_EQ(p.dir(), f.dir);
    EXPECT_EQ(p.entries().size(), 6u);
}

TEST(FilePanel, DrawsInFarColoursWithEscapedNamesAndKeepsTheCursorVisible) {
    PanelFolder f;
    FilePanel p;
    std::string error;
    ASSERT_TRUE(p.open(f.dir, error));
    term::CellBuffer b(40, 8);
    p.draw(b, Rect{0, 0, 39, 7}, true);
    EXPECT_EQ(b.attrAt(0, 0), 0x1B);
    EXPECT_EQ(b.attrAt(1, 2), 0x30);  // the cursor bar on ".."
    EXPECT_NE(b.textAt(0).find("panel"), std::string::npos);
    EXPECT_EQ(b.attrAt(1, 3), 0x1F);  // folders are white
    EXPECT_GT(p.pageRows(), 0);
    p.moveTo(5);
    p.draw(b, Rect{0, 0, 39, 7}, true);
    std::string all;
    for (int y = 0; y < 8; ++y) all += b.textAt(y);
    EXPECT_NE(all.find("evil\\x1B[2J"), std::string::npos);
    EXPECT_GE(p.current(), p.top());
    EXPECT_LT(p.current(), p.top() + p.pageRows());
    EXPECT_EQ(p.indexAt(1, 2 + (p.current() - p.top())), p.current());
    EXPECT_EQ(p.indexAt(0, 0), -1);
    for (auto size : {std::pair{1, 1}, std::pair{3, 3}, std::pair{5, 4}}) {
        term::CellBuffer tiny(size.first, size.second);
        p.draw(tiny, Rect{0, 0, size.first - 1, size.second - 1}, true);  // must not crash or overflow
    }
}

// Whatever sizes the terminal passes through, the panel drawn at the final size shows the cursor
// and leaves no empty rows below the last entry while entries above it are scrolled out.
struct ResizeCase {
    const char* name;
    int cursor;                // entry the cursor is on before the resizes
    std::vector<int> heights;  // panel heights drawn in turn; the last one is checked
};

class FilePanelResize : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(FilePanelResize, ScrollPositionIsRefittedForTheFinalSize) {
    test::TempHome home;
    const fs::path dir = home.root() / "many";
    fs::create_directories(dir / "first");
    for (int i = 0; i < 30; ++i) std::ofstream(dir / ("file" + std::to_string(100 + i)));
    FilePanel p;
    std::string error;
    ASSERT_TRUE(p.open(dir, error)) << error;
    const int count = static_cast<int>(p.entries().size());
    p.moveTo(GetParam().cursor);
    for (int height : GetParam().heights) {
        term::CellBuffer b(40, height);
        p.draw(b, Rect{0, 0, 39, height - 1}, true);
    }
    const int rows = p.pageRows();
    EXPECT_EQ(p.current(), std::min(GetParam().cursor, count - 1));
    EXPECT_GE(p.current(), p.top());
    EXPECT_LT(p.current(), p.top() + rows);
    EXPECT_LE(p.top(), std::max(0, count - rows)) << "empty rows below the last entry";
    if (count <= rows) {
        EXPECT_EQ(p.top(), 0) << "\"..\" and the first folder must be in view";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FilePanelResize,
    ::testing::Values(ResizeCase{"ShrinkThenGrowShowsTheTopAgain", 1, {60, 7, 4, 3, 60}},
                      ResizeCase{"CursorAtTheEndThroughTinySizes", 31, {60, 3, 5, 60}},
                      ResizeCase{"GrowBackPartlyKeepsThePageFull", 20, {60, 4, 20}},
                      ResizeCase{"CursorInTheMiddleShrinkingStepByStep", 15, {40, 30, 20, 10, 5, 4, 3}},
                      ResizeCase{"TooSmallToDrawThenBack", 0, {60, 2, 1, 60}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app
