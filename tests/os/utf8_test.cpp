#include "os/utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fold_cases.h"

namespace skimmer::os {
namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    size_t length;  // 0: not well-formed
    char32_t cp;
};

class Utf8Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, ReadsOneSequenceOrRejectsItWithTheReplacementCharacter) {
    const DecodeCase& c = GetParam();
    char32_t cp = 0;
    EXPECT_EQ(decodeUtf8(c.bytes, 0, cp), c.length);
    EXPECT_EQ(cp, c.length == 0 ? kReplacementChar : c.cp);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPlaneAndEveryFault, Utf8Decode,
    ::testing::Values(DecodeCase{"ascii", "A", 1, U'A'}, DecodeCase{"nul", std::string(1, '\0'), 1, 0},
                      DecodeCase{"two", "\xC3\x9F", 2, U'ß'}, DecodeCase{"three", "\xE6\x97\xA5", 3, U'日'},
                      DecodeCase{"fourAstral", "\xF0\x9F\x98\x80", 4, U'\U0001F600'},
                      DecodeCase{"lastScalar", "\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF'},
                      DecodeCase{"followingBytesIgnored", "\xC3\x9Fxyz", 2, U'ß'},
                      DecodeCase{"overlongTwo", "\xC0\xAF", 0, 0}, DecodeCase{"overlongThree", "\xE0\x80\xAF", 0, 0},
                      DecodeCase{"overlongFour", "\xF0\x80\x80\xAF", 0, 0},
                      DecodeCase{"surrogate", "\xED\xA0\x80", 0, 0}, DecodeCase{"pastMax", "\xF4\x90\x80\x80", 0, 0},
                      DecodeCase{"fiveByteLead", "\xF8\x88\x80\x80\x80", 0, 0},
                      DecodeCase{"loneContinuation", "\x80", 0, 0}, DecodeCase{"truncated", "\xE6\x97", 0, 0},
                      DecodeCase{"brokenContinuation", "\xE6\x41\xA5", 0, 0}, DecodeCase{"byteFF", "\xFF", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8Decode, StartsAtTheGivenPositionAndNeverReadsPastTheEnd) {
    const std::string text = "a\xE6\x97\xA5";
    char32_t cp = 0;
    EXPECT_EQ(decodeUtf8(text, 1, cp), 3u);
    EXPECT_EQ(cp, U'日');
    EXPECT_EQ(decodeUtf8(std::string_view(text).substr(0, 3), 1, cp), 0u);  // the view ends mid-sequence
}

struct EncodeCase {
    char32_t cp;
    std::string bytes;
};

class Utf8Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Utf8Encode, WritesShortestFormAndReplacesWhatIsNoScalar) {
    std::string out = "x";
    appendUtf8(out, GetParam().cp);
    EXPECT_EQ(out, "x" + GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    EveryLength, Utf8Encode,
    ::testing::Values(EncodeCase{U'\x7F', "\x7F"}, EncodeCase{U'\x80', "\xC2\x80"}, EncodeCase{U'\u07FF', "\xDF\xBF"},
                      EncodeCase{U'\u0800', "\xE0\xA0\x80"}, EncodeCase{U'\uFFFF', "\xEF\xBF\xBF"},
                      EncodeCase{U'\U00010000', "\xF0\x90\x80\x80"}, EncodeCase{U'\U0010FFFF', "\xF4\x8F\xBF\xBF"},
                      EncodeCase{0xD800, "\xEF\xBF\xBD"}, EncodeCase{0x110000, "\xEF\xBF\xBD"}));

// A text, a byte position (or limit) in it, and the boundary expected there.
struct BoundaryCase {
    std::string text;
    size_t at;
    size_t expected;
};

class Utf8Cut : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(Utf8Cut, KeepsTheLongestPrefixThatEndsOnACharacter) {
    EXPECT_EQ(utf8CutPoint(GetParam().text, GetParam().at), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, Utf8Cut,
    ::testing::Values(BoundaryCase{"abc", 10, 3}, BoundaryCase{"abc", 3, 3}, BoundaryCase{"abc", 2, 2}, BoundaryCase{"abc", 0, 0},
                      BoundaryCase{"a\xE6\x97\xA5", 3, 1}, BoundaryCase{"a\xE6\x97\xA5", 2, 1}, BoundaryCase{"a\xE6\x97\xA5", 1, 1},
                      BoundaryCase{"\xF0\x9F\x98\x80z", 4, 4}, BoundaryCase{"\xF0\x9F\x98\x80z", 3, 0},
                      BoundaryCase{"\x80\x80\x80", 2, 0}));  // no start in reach: nothing is kept

class Utf8Previous : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(Utf8Previous, StepsBackOverOneWholeCharacter) {
    EXPECT_EQ(utf8PreviousStart(GetParam().text, GetParam().at), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, Utf8Previous,
                         ::testing::Values(BoundaryCase{"ab", 0, 0}, BoundaryCase{"ab", 2, 1},
                                           BoundaryCase{"a\xE6\x97\xA5", 4, 1}, BoundaryCase{"\xE6\x97\xA5", 3, 0},
                                           BoundaryCase{"\x80\x80", 2, 0}));

struct CountCase {
    std::string text;
    size_t characters;
    size_t offsetAfterTwo;
};

class Utf8Characters : public ::testing::TestWithParam<CountCase> {};

// An invalid byte is one character, like a whole sequence; the offset never splits a sequence.
TEST_P(Utf8Characters, CountsSequencesAndStrayBytesAlike) {
    EXPECT_EQ(utf8CharacterCount(GetParam().text), GetParam().characters);
    EXPECT_EQ(utf8CharacterOffset(GetParam().text, 2), GetParam().offsetAfterTwo);
    EXPECT_EQ(utf8CharacterOffset(GetParam().text, GetParam().characters), GetParam().text.size());
}

INSTANTIATE_TEST_SUITE_P(Texts, Utf8Characters,
                         ::testing::Values(CountCase{"", 0, 0}, CountCase{"a", 1, 1}, CountCase{"abc", 3, 2},
                                           CountCase{"\xE6\x97\xA5\xF0\x9F\x98\x80z", 3, 7},
                                           CountCase{"\x80" "a\xFF", 3, 2}, CountCase{"\xE6\x97", 2, 2}));

// The counts step over an ASCII byte without the decoder; for every byte value, before and after
// ASCII and in front of a sequence's tail, they still agree with the decoder's own steps.
TEST(Utf8CharacterSteps, AgreeWithTheDecoderForEveryByte) {
    for (int b = 0; b < 256; ++b) {
        const std::string text = std::string("a") + static_cast<char>(b) + "\x97\xA5z";
        size_t steps = 0;
        for (size_t pos = 0; pos < text.size(); ++steps) pos += utf8CharLength(text, pos);
        EXPECT_EQ(utf8CharacterCount(text), steps) << "byte " << b;
        EXPECT_EQ(utf8CharacterOffset(text, 2), 1 + utf8CharLength(text, 1)) << "byte " << b;
    }
}

// The cheap count counts bytes that start a character: the same as the decoder's count for text
// that is well-formed, and nothing for a stray continuation byte.
TEST(Utf8Starts, CountOnlyBytesThatCanStartACharacter) {
    EXPECT_EQ(utf8StartCount(""), 0u);
    EXPECT_EQ(utf8StartCount("\xE6\x97\xA5\xF0\x9F\x98\x80z"), 3u);
    EXPECT_EQ(utf8StartCount("\x80" "a\xFF"), 2u);
    EXPECT_EQ(utf8CharLength("\xE6\x97\xA5z", 0), 3u);
    EXPECT_EQ(utf8CharLength("\xE6\x97", 0), 1u) << "a cut sequence is one byte at a time";
}

struct TrimCase {
    const char* label;
    std::string text;
    std::string_view chars;
    std::string trimmed;
};

std::ostream& operator<<(std::ostream& out, const TrimCase& c) { return out << c.label; }

class Trim : public ::testing::TestWithParam<TrimCase> {};

// Each end loses exactly the bytes of the set it is given, and the result is a view into the text.
TEST_P(Trim, StripsTheGivenBytesFromBothEnds) {
    const TrimCase& c = GetParam();
    const std::string_view got = trim(c.text, c.chars);
    EXPECT_EQ(got, c.trimmed);
    if (!got.empty()) {
        EXPECT_TRUE(got.data() >= c.text.data() && got.data() + got.size() <= c.text.data() + c.text.size());
    }
    EXPECT_EQ(trimEnd(trimStart(c.text, c.chars), c.chars), c.trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, Trim,
    ::testing::Values(TrimCase{"blanks", " \tkey = v \t", kBlanks, "key = v"},
                      TrimCase{"spaces_keep_tabs", " \tx\t ", kSpaces, "\tx\t"},
                      TrimCase{"white_space", "\r\n a b \r\n", kWhiteSpace, "a b"},
                      TrimCase{"only_blanks", " \t ", kBlanks, ""}, TrimCase{"empty", "", kBlanks, ""},
                      TrimCase{"nothing_to_trim", "a", kBlanks, "a"}),
    [](const auto& info) { return std::string(info.param.label); });

// A CR LF file's line keeps a CR that opens it but loses the CRs and blanks that end it.
TEST(Trim, ALineLosesItsCarriageReturnOnlyAtItsEnd) {
    EXPECT_EQ(trimLine(" \tName=x \r"), "Name=x");
    EXPECT_EQ(trimLine("x \r\t\r"), "x");
    EXPECT_EQ(trimLine("\rx"), "\rx");
    EXPECT_EQ(trimLine("\r"), "");
}

struct LowerCase {
    std::string text;
    std::string lowered;
};

class AsciiLower : public ::testing::TestWithParam<LowerCase> {};

TEST_P(AsciiLower, FoldsOnlyAsciiLettersAndComparesByThatFold) {
    EXPECT_EQ(asciiLower(GetParam().text), GetParam().lowered);
    EXPECT_TRUE(equalsAsciiCaseless(GetParam().text, GetParam().lowered));
    EXPECT_FALSE(equalsAsciiCaseless(GetParam().text, GetParam().lowered + "x"));
}

INSTANTIATE_TEST_SUITE_P(Texts, AsciiLower,
                         ::testing::Values(LowerCase{"MailTo", "mailto"}, LowerCase{"AZ@[`az{", "az@[`az{"},
                                           LowerCase{"\xC3\x84" "Ber", "\xC3\x84" "ber"},  // Ä is not ASCII
                                           LowerCase{"", ""}));

TEST(AsciiLower, DoesNotEquateDifferentLetters) { EXPECT_FALSE(equalsAsciiCaseless("True", "Trve")); }

// Upper case follows the C library's Unicode tables, whatever the process locale, and never makes
// a code point that UTF-8 cannot carry.
TEST(UpperCase, MapsSmallLettersOfEveryScriptAndLeavesTheRest) {
    EXPECT_EQ(upperCase(U'q'), U'Q');
    EXPECT_EQ(upperCase(U'7'), U'7');
    EXPECT_EQ(upperCase(U'\u00E4'), U'\u00C4');  // ä
    EXPECT_EQ(upperCase(U'\u0436'), U'\u0416');  // ж
    EXPECT_EQ(upperCase(U'\u0561'), U'\u0531');  // Armenian ա: beyond the fold's table, not beyond this
    EXPECT_EQ(upperCase(U'\u00C4'), U'\u00C4');
    EXPECT_EQ(upperCase(0xD800), char32_t{0xD800});
    EXPECT_EQ(upperCase(0x110000), char32_t{0x110000});
    EXPECT_EQ(lowerCase(U'Q'), U'q');
    EXPECT_EQ(lowerCase(U'\u0416'), U'\u0436');
    EXPECT_EQ(lowerCase(U'\u0531'), U'\u0561');
    EXPECT_EQ(lowerCase(0xDFFF), char32_t{0xDFFF});
}

TEST(AsciiLower, APrefixMatchesInAnyAsciiCaseAndNeverPastTheText) {
    EXPECT_TRUE(startsWithAsciiCaseless("FILE:///x", "file:"));
    EXPECT_TRUE(startsWithAsciiCaseless("Panel.SetPos(1)", "panel.setpos("));
    EXPECT_TRUE(startsWithAsciiCaseless("x", ""));
    EXPECT_FALSE(startsWithAsciiCaseless("fil", "file:"));
    EXPECT_FALSE(startsWithAsciiCaseless("\xC3\x84" "b", "\xC3\xA4"));  // Ä is not ASCII
}

// The one fold: the shared table (tests/support/fold_cases.h) holds what a name folds to and
// where a typed word is found in it; the index's and the window's suites run the same rows.
class CaseFold : public ::testing::TestWithParam<test::FoldCase> {};

TEST_P(CaseFold, FoldsTheNameAndFindsTheWordWhereItIs) {
    const test::FoldCase& c = GetParam();
    EXPECT_EQ(foldText(c.name), c.folded);
    const auto span = findFolded(c.name, c.word);
    ASSERT_EQ(span.has_value(), c.first >= 0);
    if (!span) return;
    EXPECT_EQ(span->first, static_cast<size_t>(c.first));
    EXPECT_EQ(span->count, static_cast<size_t>(c.count));
}

INSTANTIATE_TEST_SUITE_P(Scripts, CaseFold, ::testing::ValuesIn(test::kFoldCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(CaseFold, IsIdempotentNeverLongerAndOneCodePointToOne) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);  // stray bytes too
    for (char32_t cp = 0x80; cp < 0x3000; ++cp) {
        const char32_t folded = foldCase(cp);
        EXPECT_EQ(foldCase(folded), folded) << std::hex << static_cast<uint32_t>(cp);
        std::string one, mapped;
        appendUtf8(one, cp);
        appendUtf8(mapped, folded);
        EXPECT_LE(mapped.size(), one.size()) << std::hex << static_cast<uint32_t>(cp);
        all += one;
    }
    const std::string once = foldText(all);
    EXPECT_LE(once.size(), all.size());
    EXPECT_EQ(foldText(once), once);
    EXPECT_EQ(utf8CharacterCount(once), utf8CharacterCount(all));
}

TEST(CaseFold, AnEmptyWordIsFoundNowhere) {
    EXPECT_FALSE(findFolded("abc", "").has_value());
    EXPECT_FALSE(findFolded("", "a").has_value());
}

}  // namespace
}  // namespace skimmer::os
