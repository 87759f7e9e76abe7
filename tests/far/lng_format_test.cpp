// Reading FAR .lng files: which lines are messages and how they are numbered, the quoting and
// escape rules, the header, line ends, and the choice among several files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "far/lng_format.h"

namespace {

using skimmer::farapi::chooseLngFile;
using skimmer::farapi::kLngMaxFarLineBytes;
using skimmer::farapi::LngFile;
using skimmer::farapi::parseLng;

std::vector<std::string> messagesOf(std::string_view bytes) { return parseLng(bytes).messages; }

// The text of the one message a line gives.
std::string decode(std::string_view line) {
    LngFile file = parseLng(line);
    EXPECT_EQ(file.messages.size(), 1u) << line;
    return file.messages.empty() ? std::string() : file.messages[0];
}

TEST(LngMessages, OnlyQuotedLinesCountAndNumberFromZero) {
    auto messages = messagesOf(
        ".Language=English,English\n"
        "// a comment\n"
        "\n"
        "\"first\"\n"
        "MSomething = 3\n"
        "   \"second\"   \n"
        "\t\"third\"\n"
        "x\"not a message\"\n");
    EXPECT_EQ(messages, (std::vector<std::string>{"first", "second", "third"}));
}

TEST(LngMessages, QuotesAtBothEndsAreDroppedOnce) {
    EXPECT_EQ(decode("\"plain\""), "plain");
    EXPECT_EQ(decode("\"no closing quote"), "no closing quote");
    EXPECT_EQ(decode("\"\""), "");
    EXPECT_EQ(decode("\""), "");
    EXPECT_EQ(decode("\"  inner spaces kept  \""), "  inner spaces kept  ");
    EXPECT_EQ(decode("\"trailing blanks after the quote\"  \t"), "trailing blanks after the quote");
}

TEST(LngMessages, QuotesInsideNeedNoEscape) {
    EXPECT_EQ(decode("\"Copy \"x\" to\""), "Copy \"x\" to");
    EXPECT_EQ(decode("\"say \"\"hi\"\"\""), "say \"hi\"");
    EXPECT_EQ(decode("\"a\"\"\""), "a\"");
    EXPECT_EQ(decode("\"ends in a quote\"\"\""), "ends in a quote\"");
}

TEST(LngMessages, EscapesAndLiteralBackslashes) {
    EXPECT_EQ(decode(R"("a\\b")"), "a\\b");
    EXPECT_EQ(decode(R"("say \"hi\"")"), "say \"hi\"");
    EXPECT_EQ(decode(R"("l1\nl2\rl3\tl4\bl5")"), "l1\nl2\rl3\tl4\bl5");
    EXPECT_EQ(decode(R"("C:\dir\x")"), "C:\\dir\\x");
    EXPECT_EQ(decode(R"("\\n")"), "\\n");
    // The closing quote is dropped before escapes are read, so a final backslash stays.
    EXPECT_EQ(decode(R"("ends with \")"), "ends with \\");
    EXPECT_EQ(decode(R"("ends with \\")"), "ends with \\");
}

TEST(LngMessages, BytesPassUnchanged) {
    EXPECT_EQ(decode("\"Gr\xC3\xB6\xC3\x9F" "e \xE2\x86\x92 \xF0\x9F\x98\x80\""), "Gr\xC3\xB6\xC3\x9F" "e \xE2\x86\x92 \xF0\x9F\x98\x80");
    EXPECT_EQ(decode("\"\x80\xFF invalid UTF-8 kept\""), "\x80\xFF invalid UTF-8 kept");
}

TEST(LngLines, CrLfLoneCrAndMissingFinalNewline) {
    EXPECT_EQ(messagesOf("\"a\"\r\n\"b\"\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(messagesOf("\"a\"\n\"b\""), (std::vector<std::string>{"a", "b"}));
    // A CR that does not end a line is data.
    EXPECT_EQ(messagesOf("\"a\rb\"\n"), (std::vector<std::string>{"a\rb"}));
    EXPECT_TRUE(messagesOf("").empty());
}

TEST(LngLines, ByteOrderMarkIsSkipped) {
    LngFile file = parseLng("\xEF\xBB\xBF\"first\"\n.Language=German,Deutsch\n");
    EXPECT_EQ(file.messages, (std::vector<std::string>{"first"}));
    LngFile header = parseLng("\xEF\xBB\xBF.Language=German,Deutsch\n\"x\"\n");
    EXPECT_TRUE(header.hasHeader);
    EXPECT_EQ(header.language, "German");
}

TEST(LngLines, OverlongLineIsKeptWholeAndReported) {
    std::string longText(3000, 'x');
    std::string bytes = "\"a\"\n\"" + longText + "\"\n\"c\"\n";
    LngFile file = parseLng(bytes);
    ASSERT_EQ(file.messages.size(), 3u);
    EXPECT_EQ(file.messages[1], longText);
    EXPECT_EQ(file.messages[2], "c");
    ASSERT_EQ(file.warnings.size(), 2u);  // the long line, and the missing header
    EXPECT_EQ(file.warnings[0].line, 2u);
}

TEST(LngLines, LineAtFarsLimitIsNotReported) {
    std::string atLimit = "\"" + std::string(kLngMaxFarLineBytes - 2, 'y') + "\"";
    LngFile file = parseLng(".Language=English,English\n" + atLimit + "\n" + atLimit + "\r\n");
    EXPECT_EQ(file.messages.size(), 2u);
    ASSERT_EQ(file.warnings.size(), 1u) << "only the CRLF copy is one byte over";
    EXPECT_EQ(file.warnings[0].line, 3u);
}

TEST(LngLines, NulByteIsKeptAndReported) {
    LngFile file = parseLng(std::string_view(".Language=English,English\n\"a\0b\"\n", 31));
    ASSERT_EQ(file.messages.size(), 1u);
    EXPECT_EQ(file.messages[0], std::string("a\0b", 3));
    EXPECT_EQ(file.warnings.size(), 1u);
}

TEST(LngHeader, NameAndDescription) {
    LngFile file = parseLng(".Language=English,English (United States)\n");
    EXPECT_TRUE(file.hasHeader);
    EXPECT_EQ(file.language, "English");
    EXPECT_EQ(file.description, "English (United States)");
    EXPECT_TRUE(file.warnings.empty());
}

TEST(LngHeader, CaseInsensitiveTrimmedAndFirstOneWins) {
    LngFile file = parseLng("  .LANGUAGE=  Russian , Russian (Русский) \n.Language=English,English\n");
    EXPECT_EQ(file.language, "Russian");
    EXPECT_EQ(file.description, "Russian (Русский)");
}

TEST(LngHeader, MissingCommaGivesEmptyDescription) {
    LngFile file = parseLng(".language=Czech\n");
    EXPECT_EQ(file.language, "Czech");
    EXPECT_EQ(file.description, "");
}

TEST(LngHeader, SearchStopsAtContentsTopic) {
    LngFile file = parseLng("\"m\"\n@Contents\n.Language=English,English\n");
    EXPECT_FALSE(file.hasHeader);
    EXPECT_EQ(file.messages.size(), 1u);
    EXPECT_EQ(file.warnings.size(), 1u);
}

TEST(LngChoice, CurrentLanguageThenEnglishThenFirst) {
    std::vector<std::string> langs = {"German", "english", "Russian"};
    EXPECT_EQ(chooseLngFile(langs, "russian"), 2u);
    EXPECT_EQ(chooseLngFile(langs, "Czech"), 1u);
    EXPECT_EQ(chooseLngFile(langs, ""), 1u);
    std::vector<std::string> noEnglish = {"German", "", "Russian"};
    EXPECT_EQ(chooseLngFile(noEnglish, "Czech"), 0u);
    EXPECT_EQ(chooseLngFile(noEnglish, ""), 0u) << "an empty current language matches no header-less file";
    EXPECT_EQ(chooseLngFile(std::vector<std::string>{}, "English"), std::nullopt);
}

TEST(LngChoice, FirstMatchWinsAmongDuplicates) {
    std::vector<std::string> langs = {"English", "German", "ENGLISH", "German"};
    EXPECT_EQ(chooseLngFile(langs, "german"), 1u);
    EXPECT_EQ(chooseLngFile(langs, "French"), 0u);
}

}  // namespace
