#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/services/char_functions.h"
#include "host/services/xlat.h"

namespace skimmer::host::services {
namespace {

TEST(CharFunctions, ClassifyLatinGreekCyrillic) {
    for (char32_t c : {U'a', U'z', U'é', U'ß', U'α', U'ς', U'ж', U'ё'}) {
        EXPECT_TRUE(LIsAlpha(c)) << std::hex << uint32_t(c);
        EXPECT_TRUE(LIsLower(c)) << std::hex << uint32_t(c);
        EXPECT_FALSE(LIsUpper(c)) << std::hex << uint32_t(c);
        EXPECT_TRUE(LIsAlphanum(c));
    }
    for (char32_t c : {U'A', U'É', U'Ω', U'Ж', U'Ё'}) {
        EXPECT_TRUE(LIsUpper(c)) << std::hex << uint32_t(c);
        EXPECT_FALSE(LIsLower(c));
    }
    for (char32_t c : {U'0', U'9'}) {
        EXPECT_FALSE(LIsAlpha(c));
        EXPECT_TRUE(LIsAlphanum(c)) << std::hex << uint32_t(c);
    }
    for (char32_t c : {U' ', U'-', U'&', U'\x1b', char32_t(0x110000), char32_t(0xFFFFFFFF)}) {
        EXPECT_FALSE(LIsAlpha(c));
        EXPECT_FALSE(LIsAlphanum(c));
        EXPECT_EQ(LUpper(c), c) << "no case: unchanged";
    }
}

TEST(CharFunctions, UpperAndLower) {
    EXPECT_EQ(LUpper(U'q'), U'Q');
    EXPECT_EQ(LUpper(U'é'), U'É');
    EXPECT_EQ(LUpper(U'ж'), U'Ж');
    EXPECT_EQ(LUpper(U'ё'), U'Ё');
    EXPECT_EQ(LUpper(U'λ'), U'Λ');
    EXPECT_EQ(LLower(U'Ж'), U'ж');
    EXPECT_EQ(LLower(U'Σ'), U'σ');
    EXPECT_EQ(LUpper(U'7'), U'7');
}

TEST(CharFunctions, BuffersKeepTheirLength) {
    char text[] = "abc\xd0\xb6\xc4\xb1\xff" "d";  // abc ж ı <invalid byte> d
    LUpperBuf(text, 5);                            // only "abcж"
    EXPECT_STREQ(text, "ABC\xd0\x96\xc4\xb1\xff" "d");
    LStrupr(text);
    EXPECT_STREQ(text, "ABC\xd0\x96\xc4\xb1\xff" "D") << "dotless i would shrink to I: left alone";
    LStrlwr(text);
    EXPECT_STREQ(text, "abc\xd0\xb6\xc4\xb1\xff" "d");
    char cut[] = "\xd0\x96";
    LLowerBuf(cut, 1);  // a code point cut by the length stays as it is
    EXPECT_STREQ(cut, "\xd0\x96");
    LUpperBuf(nullptr, 3);
    LStrupr(nullptr);
}

TEST(CharFunctions, CaseInsensitiveComparison) {
    EXPECT_EQ(LStricmp("Report.DOC", "report.doc"), 0);
    EXPECT_EQ(LStricmp("ЖУРНАЛ", "журнал"), 0);
    EXPECT_EQ(LStricmp("ΟΔΟΣ", "οδος"), 0) << "final sigma folds with sigma";
    EXPECT_LT(LStricmp("abc", "abd"), 0);
    EXPECT_GT(LStricmp("abcd", "ABC"), 0);
    EXPECT_LT(LStricmp("", "a"), 0);
    EXPECT_NE(LStricmp("a\xff", "a\xfe"), 0) << "invalid bytes compare by value";
    EXPECT_EQ(LStrnicmp("ЖУРНАЛ-1", "журнал-2", 7), 0) << "n counts code points";
    EXPECT_NE(LStrnicmp("ЖУРНАЛ-1", "журнал-2", 8), 0);
    EXPECT_EQ(LStrnicmp("x", "y", 0), 0);
}

TEST(XLat, LatinAndCyrillicKeysBothWays) {
    const std::u32string latin = U"qwertyuiop[]asdfghjkl;'zxcvbnm,.`QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>~";
    const std::u32string cyrillic = U"йцукенгшщзхъфывапролджэячсмитьбюёЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ";
    ASSERT_EQ(latin.size(), cyrillic.size());
    for (size_t i = 0; i < latin.size(); ++i) {
        EXPECT_EQ(xlatChar(latin[i]), cyrillic[i]) << i;
        EXPECT_EQ(xlatChar(cyrillic[i]), latin[i]) << i;
    }
    for (char32_t c : {U'1', U' ', U'/', U'?', U'é', U'α', U'є'}) EXPECT_EQ(xlatChar(c), c);
}

TEST(XLat, RangeCountsCodePoints) {
    EXPECT_EQ(xlatRange("ghbdtn", 0, 1), "пhbdtn") << "positions 0 to 1: the first character only";
    EXPECT_EQ(xlatRange("ghbdtn", 0, 6), "привет");
    EXPECT_EQ(xlatRange("привет", 2, 100), "прbdtn");
    EXPECT_EQ(xlatRange("a\xffz", 0, 3), "ф\xffя") << "an undecodable byte counts as one position";
    EXPECT_EQ(xlatRange("abc", 2, 1), "abc");
    EXPECT_EQ(xlatRange("abc", -5, 1), "фbc");
    EXPECT_EQ(xlatRange("", 0, 1), "");
}

}  // namespace
}  // namespace skimmer::host::services
