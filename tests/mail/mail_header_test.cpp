#include "mail/encoded_words.h"
#include "mail/mail_header.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_home.h"

namespace skimmer::mail {
namespace {

struct TextCase {
    const char* name;
    std::string raw;
    std::string decoded;
};

class HeaderText : public ::testing::TestWithParam<TextCase> {};

TEST_P(HeaderText, DecodesToCleanUtf8) { EXPECT_EQ(decodeHeaderText(GetParam().raw), GetParam().decoded); }

INSTANTIATE_TEST_SUITE_P(
    CharsetsFoldsAndFaults, HeaderText,
    ::testing::Values(
        TextCase{"plain", "  Quarterly report ", "Quarterly report"},
        TextCase{"utf8Base64", "=?UTF-8?B?w4lkaXRpb24=?=", "\xC3\x89" "dition"},
        TextCase{"latin1Q", "=?ISO-8859-1?Q?caf=E9_cr=E8me?=", "caf\xC3\xA9 cr\xC3\xA8me"},
        TextCase{"koi8r", "=?KOI8-R?B?8NLJ18XU?=", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        TextCase{"shiftJis", "=?Shift_JIS?B?k/qWew==?=", "\xE6\x97\xA5\xE6\x9C\xAC"},
        TextCase{"gb2312", "=?gb2312?b?1tDOxA==?=", "\xE4\xB8\xAD\xE6\x96\x87"},
        TextCase{"cp1252Euro", "=?windows-1252?q?=80_5?=", "\xE2\x82\xAC 5"},
        TextCase{"adjacentWordsJoin", "=?UTF-8?Q?in?=  \r\n =?UTF-8?Q?voice?=", "invoice"},
        TextCase{"characterSplitAcrossWords", "=?UTF-8?Q?=C3?= =?UTF-8?Q?=A9t=C3=A9?=", "\xC3\xA9t\xC3\xA9"},
        TextCase{"wordThenTextKeepsBlank", "=?UTF-8?Q?Re:?= lunch", "Re: lunch"},
        TextCase{"languageSuffix", "=?utf-8*en?Q?hi?=", "hi"},
        TextCase{"unknownCharsetStays", "=?x-no-such-set?Q?abc?=", "=?x-no-such-set?Q?abc?="},
        TextCase{"pathLikeCharsetStays", "=?../../etc?Q?abc?=", "=?../../etc?Q?abc?="},
        TextCase{"unterminatedWordStays", "=?UTF-8?Q?abc", "=?UTF-8?Q?abc"},
        TextCase{"invalidBytesInCharset", "=?UTF-8?Q?a=FFb?=", "a\xEF\xBF\xBD" "b"},
        TextCase{"rawLatin1", "caf\xE9", "caf\xC3\xA9"},
        TextCase{"rawUtf8Kept", "Gr\xC3\xBC\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "e"},
        TextCase{"controlsBecomeBlanks", std::string("a\0b\tc\x1B[31m", 10), "a b c [31m"},
        TextCase{"foldedLine", "Hello\r\n\tworld", "Hello world"},
        // Adjacent words in different charsets: each run in its own (0xE9 is e-acute, then shcha).
        TextCase{"adjacentCharsetsEachTheirOwn", "=?ISO-8859-1?Q?=E9?= =?ISO-8859-5?Q?=E9?=", "\xC3\xA9\xD1\x89"},
        // Base64 that is not exactly base64 is kept as written; only missing padding is forgiven.
        TextCase{"base64StrayCharacterStays", "=?UTF-8?B?w4l!kaXRpb24=?=", "=?UTF-8?B?w4l!kaXRpb24=?="},
        TextCase{"base64PaddingInsideStays", "=?UTF-8?B?QQ=QQ==?=", "=?UTF-8?B?QQ=QQ==?="},
        TextCase{"base64OneLeftOverStays", "=?UTF-8?B?QUJDR?=", "=?UTF-8?B?QUJDR?="},
        TextCase{"base64ThreePadsStay", "=?UTF-8?B?QUJD===?=", "=?UTF-8?B?QUJD===?="},
        TextCase{"base64WrongPaddingStays", "=?UTF-8?B?QUJ==?=", "=?UTF-8?B?QUJ==?="},
        TextCase{"base64InvalidKeepsBlankBeforeIt", "=?UTF-8?Q?a?= =?UTF-8?B?#?=", "a =?UTF-8?B?#?="},
        TextCase{"base64MissingPaddingForgiven", "=?UTF-8?B?QUI?=", "AB"},
        // UTF-16 and UTF-32 follow their byte-order mark, else are big-endian.
        TextCase{"utf16WithoutMarkIsBigEndian", "=?UTF-16?B?AEEAQg==?=", "AB"},
        TextCase{"utf16LittleEndianMark", "=?utf-16?B?//5BAEIA?=", "AB"},
        TextCase{"utf16BigEndianMark", "=?UTF-16?B?/v8AQQBC?=", "AB"},
        TextCase{"utf32WithoutMarkIsBigEndian", "=?UTF-32?B?AAAAQQ==?=", "A"},
        TextCase{"ucs2WithoutMarkIsBigEndian", "=?UCS-2?B?AOk=?=", "\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderText, IsCappedOnACharacterBoundary) {
    std::string raw;
    for (int i = 0; i < 20000; ++i) raw += "\xC3\xA9";
    const std::string text = decodeHeaderText(raw);
    EXPECT_LE(text.size(), kMaxDecodedBytes);
    EXPECT_EQ(text.size() % 2, 0u);
}

struct FieldsCase {
    const char* name;
    std::string head;
    MailHeaders expected;
};

class HeaderFields : public ::testing::TestWithParam<FieldsCase> {};

TEST_P(HeaderFields, KeepsTheFirstOfEachFieldUnfolded) {
    const MailHeaders got = parseMailHeaders(GetParam().head);
    const MailHeaders& want = GetParam().expected;
    EXPECT_EQ(got.subject, want.subject);
    EXPECT_EQ(got.from, want.from);
    EXPECT_EQ(got.to, want.to);
    EXPECT_EQ(got.date, want.date);
    EXPECT_EQ(got.messageId, want.messageId);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, HeaderFields,
    ::testing::Values(
        FieldsCase{"crlf",
                   "Return-Path: <x@y>\r\nSubject: Hi\r\nFROM: Ann <a@x>\r\nto: b@x\r\nDate: 1 Jul 2003 10:52 +0000\r\n"
                   "Message-ID: <id@x>\r\n\r\nSubject: not a header",
                   {" Hi", " Ann <a@x>", " b@x", " 1 Jul 2003 10:52 +0000", " <id@x>"}},
        FieldsCase{"folded", "Subject: one\n two\n\tthree\nFrom: a@x\n\nbody", {" one two\tthree", " a@x", "", "", ""}},
        FieldsCase{"firstWins", "Subject: first\nSubject: second\n\n", {" first", "", "", "", ""}},
        FieldsCase{"mboxEnvelope", "From a@x Thu Jan  1 00:00:00 2026\nSubject: s\n\n", {" s", "", "", "", ""}},
        FieldsCase{"noHeaderAtAll", "just a body line\nSubject: x\n", {"", "", "", "", ""}},
        FieldsCase{"indentedStart", " Subject: x\n", {"", "", "", "", ""}},
        FieldsCase{"bodyWithoutEmptyLine", "Subject: s\nthis line is body\nFrom: late@x\n", {" s", "", "", "", ""}},
        FieldsCase{"blankBeforeColon", "Subject : old style\n\n", {" old style", "", "", "", ""}},
        FieldsCase{"emptyValue", "Subject:\nFrom: a\n\n", {" ", " a", "", "", ""}},
        FieldsCase{"nulKept", std::string("Subject: a\0b\n\n", 14), {std::string(" a\0b", 4), "", "", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderFields, AnEndlessFoldedLineCostsBoundedMemory) {
    std::string head = "Subject: start\n";
    for (int i = 0; i < 20000; ++i) head += " more words\n";
    head += "From: a@x\n\n";
    const MailHeaders got = parseMailHeaders(head);
    EXPECT_EQ(got.subject.size(), kMaxFieldBytes);
    EXPECT_EQ(got.from, " a@x");
}

struct DateCase {
    const char* name;
    const char* text;
    std::optional<int64_t> unix;
};

class MailDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(MailDate, ReadsRfc5322AndItsObsoleteForms) { EXPECT_EQ(parseMailDate(GetParam().text), GetParam().unix); }

INSTANTIATE_TEST_SUITE_P(
    Forms, MailDate,
    ::testing::Values(DateCase{"full", "Tue, 1 Jul 2003 10:52:37 +0200", 1057049557},
                      DateCase{"twoDigitYearNoSeconds", "1 Jul 03 10:52 GMT", 1057056720},
                      DateCase{"beforeEpochHalfHourZone", "Thu, 13 Feb 1969 23:32:54 -0330", -27723426},
                      DateCase{"commentAfterZone", "Fri, 21 Nov 1997 09:55:06 -0600 (MDT)", 880127706},
                      DateCase{"zoneName", "29 Feb 2020 12:00:00 EST", 1582995600},
                      DateCase{"words", "yesterday", std::nullopt}, DateCase{"empty", "", std::nullopt},
                      DateCase{"day32", "32 Jan 2020 10:00 +0000", std::nullopt},
                      DateCase{"badMonth", "1 Foo 2020 10:00 +0000", std::nullopt},
                      DateCase{"hour25", "1 Jan 2020 25:00 +0000", std::nullopt},
                      DateCase{"zoneMinutes61", "1 Jan 2020 10:00 +0061", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageId, LosesBracketsAndBlanks) {
    EXPECT_EQ(bareMessageId(" <abc@x.org>"), "abc@x.org");
    EXPECT_EQ(bareMessageId("<a b@c> (comment)"), "ab@c");
    EXPECT_EQ(bareMessageId("plain@x"), "plain@x");
}

class MessageFile : public ::testing::Test {
protected:
    test::TempHome home_;
    std::filesystem::path file(const char* name) const { return home_.root() / name; }
};

struct HeadCase {
    const char* name;
    std::string header;  // then zero bytes up to 100 MB
    size_t read;         // bytes readMessageHead keeps
};

class MessageHeadRead : public MessageFile, public ::testing::WithParamInterface<HeadCase> {};

TEST_P(MessageHeadRead, StopsAtTheStepWhereTheHeaderEndsAndNeverReadsTheBody) {
    const auto path = file("big");
    std::ofstream(path) << GetParam().header;
    std::filesystem::resize_file(path, 100u << 20);  // sparse: costs no disk
    const MessageHead head = readMessageHead(path);
    ASSERT_TRUE(head.ok()) << head.error;
    EXPECT_EQ(head.bytes.size(), GetParam().read);
    EXPECT_EQ(head.size, int64_t{100} << 20);
    EXPECT_EQ(parseMailHeaders(head.bytes).subject, " big");
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, MessageHeadRead,
    ::testing::Values(HeadCase{"endsInTheFirstStep", "Subject: big\n\nbody", 8192},
                      HeadCase{"blankLineAcrossTwoSteps", "Subject: big\nX-Pad: " + std::string(8191 - 20, 'p') + "\n\n", 16384},
                      HeadCase{"headerNeverEnds", "Subject: big\n", kMaxHeadBytes}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageFile, SpecialFilesAndLinksAreRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(file("fifo").c_str(), 0600), 0);
    std::ofstream(file("real")) << "Subject: s\n\n";
    std::filesystem::create_symlink(file("real"), file("link"));
    for (const char* name : {"fifo", "link", "missing"}) {
        const MessageHead head = readMessageHead(file(name));
        EXPECT_FALSE(head.ok()) << name;
        EXPECT_NE(head.error.find(file(name).string()), std::string::npos) << head.error;
    }
}

}  // namespace
}  // namespace skimmer::mail
