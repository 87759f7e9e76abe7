#include <gtest/gtest.h>

#include "results/text_trunc.h"

namespace skimmer::results {
namespace {

struct Cut {
    const char* text;
    int max;
    const char* right;   // TruncRight
    const char* middle;  // TruncMiddle
};

class Truncation : public ::testing::TestWithParam<Cut> {};

TEST_P(Truncation, CutsToExactlyMaxCharacters) {
    const Cut& c = GetParam();
    EXPECT_EQ(TruncRight(c.text, c.max), c.right);
    EXPECT_EQ(TruncMiddle(c.text, c.max), c.middle);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Truncation,
    ::testing::Values(Cut{"abcdefghij", 8, "abcd....", "ab...hij"}, Cut{"abcdefghij", 7, "abc....", "ab...ij"},
                      Cut{"abcdefghij", 10, "abcdefghij", "abcdefghij"}, Cut{"abc", 2, "..", ".."},
                      Cut{"abc", -5, "", ""}, Cut{"", 0, "", ""},
                      // multi-byte characters count once and are never split
                      Cut{"äöüßéèêëïî", 8, "äöüß....", "äö...ëïî"},
                      Cut{"日本語のファイル名", 6, "日本....", "日...ル名"},
                      // a byte that is not UTF-8 counts as one character and is kept
                      Cut{"a\xff" "bcdefgh", 6, "a\xff....", "a...gh"}));

TEST(CharCounting, InvalidAndTruncatedSequencesCountPerByte) {
    EXPECT_EQ(CharCount("a\xc3"), 2u);             // a lead byte at the end
    EXPECT_EQ(CharCount("\xe2\x82"), 2u);          // a three-byte sequence cut short
    EXPECT_EQ(CharCount("\xed\xa0\x80"), 3u);      // an encoded surrogate is not a character
    EXPECT_EQ(CharCount("\xc0\xaf"), 2u);          // an overlong slash
    EXPECT_EQ(CharCount("\xf0\x9f\x98\x80x"), 2u);  // an emoji and a letter
}

}  // namespace
}  // namespace skimmer::results
