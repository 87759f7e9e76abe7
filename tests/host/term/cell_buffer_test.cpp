#include "host/term/cell_buffer.h"

#include <gtest/gtest.h>

namespace skimmer::host::term {
namespace {

TEST(TextWidth, DecodesAndMeasures) {
    EXPECT_EQ(displayWidth("abc"), 3);
    EXPECT_EQ(displayWidth("中文"), 4);
    EXPECT_EQ(displayWidth("e\u0301"), 1);       // combining acute
    EXPECT_EQ(displayWidth("\xFF\xFE"), 2);      // each bad byte is one placeholder
    EXPECT_EQ(displayWidth("\x1B[2J"), 4);       // ESC is a placeholder, the rest is text
    const Utf8Step overlong = decodeUtf8("\xC0\xAF", 0);
    EXPECT_FALSE(overlong.valid);
    EXPECT_EQ(overlong.length, 1u);
    const Utf8Step truncated = decodeUtf8("\xE4\xB8", 0);
    EXPECT_FALSE(truncated.valid);
    const Utf8Step surrogate = decodeUtf8("\xED\xA0\x80", 0);
    EXPECT_FALSE(surrogate.valid);
    EXPECT_EQ(decodeUtf8("\xF0\x9F\x98\x80", 0).cp, U'\U0001F600');
}

TEST(TextWidth, UnsafeCodePoints) {
    for (char32_t cp : {U'\x1B', U'\x07', U'\x7F', U'\x9B', U'\x9D', U'\u202E', U'\u2066', U'\u200B', U'\uFEFF'})
        EXPECT_TRUE(isUnsafeForTerminal(cp)) << static_cast<uint32_t>(cp);
    for (char32_t cp : {U'a', U'ä', U'中', U'─', U'\U0001F600'}) EXPECT_FALSE(isUnsafeForTerminal(cp));
}

TEST(CellBuffer, PutClipsAndReportsEnd) {
    CellBuffer b(5, 2);
    EXPECT_EQ(b.put(3, 0, "hello", 0x1F), 8);
    EXPECT_EQ(b.textAt(0), "   he");
    EXPECT_EQ(b.attrAt(3, 0), 0x1F);
    EXPECT_EQ(b.attrAt(2, 0), kDefaultAttr);
    b.put(-2, 1, "abcdefg", 0x07);
    EXPECT_EQ(b.textAt(1), "cdefg");
    b.put(0, 5, "off grid", 0x07);   // rows outside: nothing happens
    b.put(0, -1, "off grid", 0x07);
    b.put(0, 0, "xyz", 0x07, 2);     // limit column
    EXPECT_EQ(b.textAt(0), "xy he");
}

TEST(CellBuffer, ControlsFromDataBecomePlaceholders) {
    CellBuffer b(12, 1);
    b.put(0, 0, "a\x1B[2Jb\x07\xC2\x9B\xE2\x80\xAE", 0x07);
    EXPECT_EQ(b.textAt(0), "a\uFFFD[2Jb\uFFFD\uFFFD\uFFFD   ");
    for (int x = 0; x < b.width(); ++x) EXPECT_FALSE(isUnsafeForTerminal(b.at(x, 0).ch) && b.at(x, 0).ch != kWideTail);
}

TEST(CellBuffer, WideCharacters) {
    CellBuffer b(5, 1);
    EXPECT_EQ(b.put(0, 0, "中文x", 0x07), 5);
    EXPECT_EQ(b.textAt(0), "中文x");
    EXPECT_TRUE(b.at(0, 0).isWide());
    EXPECT_EQ(b.at(1, 0).ch, kWideTail);
    // Overwriting the tail blanks the lead; overwriting the lead blanks the tail.
    b.put(1, 0, "a", 0x07);
    EXPECT_EQ(b.textAt(0), " a文x");
    b.put(2, 0, "b", 0x07);
    EXPECT_EQ(b.textAt(0), " ab x");
    // A wide character that would straddle the edge becomes the placeholder.
    b.put(4, 0, "中", 0x07);
    EXPECT_EQ(b.textAt(0), " ab \uFFFD");
    // A wide character cut on the left shows its right half as a blank.
    CellBuffer c(3, 1);
    c.put(-1, 0, "中ab", 0x07);
    EXPECT_EQ(c.textAt(0), " ab");
}

TEST(CellBuffer, CombiningMarksStayWithTheirBase) {
    CellBuffer b(4, 1);
    EXPECT_EQ(b.put(0, 0, "e\u0301\u0308\u0323x", 0x07), 2);
    EXPECT_EQ(b.textAt(0), "e\u0301\u0308x  ");  // the third mark is dropped
    CellBuffer c(4, 1);
    c.put(0, 0, "\u0301a", 0x07);  // a mark with nothing to sit on is dropped
    EXPECT_EQ(c.textAt(0), "a   ");
}

TEST(CellBuffer, BoxesWithTitles) {
    CellBuffer b(10, 4);
    b.box(0, 0, 9, 3, BoxStyle::Double, 0x1B, "Ti", 0x1E);
    EXPECT_EQ(b.textAt(0), "╔══ Ti ══╗");
    EXPECT_EQ(b.textAt(1), "║        ║");
    EXPECT_EQ(b.textAt(3), "╚════════╝");
    EXPECT_EQ(b.attrAt(4, 0), 0x1E);
    EXPECT_EQ(b.attrAt(0, 0), 0x1B);
    b.box(1, 1, 8, 2, BoxStyle::Single, 0x70, "a title far too long");
    EXPECT_EQ(b.textAt(1), "║┌ a tit┐║");
    EXPECT_EQ(b.textAt(2), "║└──────┘║");
}

TEST(CellBuffer, FillAndSetAttr) {
    CellBuffer b(4, 3);
    b.fill(1, 1, 9, 9, U'#', 0x4F);
    EXPECT_EQ(b.textAt(2), " ###");
    b.setAttr(0, 0, 1, 2, 0x08);
    EXPECT_EQ(b.attrAt(1, 1), 0x08);
    EXPECT_EQ(b.at(1, 1).ch, U'#');
    b.fill(0, 0, 0, 0, U'\x1B', 0x07);
    EXPECT_EQ(b.at(0, 0).ch, kPlaceholder);
}

TEST(CellBuffer, SaveAndRestoreRegions) {
    CellBuffer b(6, 3);
    b.put(0, 1, "abcdef", 0x1B);
    const Region saved = b.save(1, 1, 3, 1);
    const Region whole = b.save(0, 0, -1 + 100, 100);
    EXPECT_EQ(whole.width, 6);
    b.fill(0, 0, 5, 2, U'x', 0x70);
    b.restore(saved);
    EXPECT_EQ(b.textAt(1), "xbcdxx");
    EXPECT_EQ(b.attrAt(1, 1), 0x1B);
    b.restore(whole);
    EXPECT_EQ(b.textAt(1), "abcdef");
    EXPECT_EQ(b.textAt(0), "      ");
    // A saved wide character whose partner lies outside the region is not restored as a half.
    b.put(0, 2, "中中中", 0x07);
    const Region half = b.save(1, 2, 2, 2);
    b.fill(0, 2, 5, 2, U'-', 0x07);
    b.restore(half);
    EXPECT_EQ(b.textAt(2), "-  ---");
}

TEST(CellBuffer, ResizeKeepsTopLeftAndNeverHalves) {
    CellBuffer b(4, 2);
    b.put(0, 0, "a中b", 0x07);
    b.resize(2, 3);
    EXPECT_EQ(b.width(), 2);
    EXPECT_EQ(b.textAt(0), "a ");
    EXPECT_EQ(b.textAt(2), "  ");
    b.resize(0, 0);
    EXPECT_EQ(b.textAt(0), "");
    b.put(0, 0, "x", 0x07);  // harmless on an empty grid
}

}  // namespace
}  // namespace skimmer::host::term
