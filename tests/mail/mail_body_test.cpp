// The text a copied mail hit gets: decoded from the message's transfer encoding and charset, the
// first text/plain part of a multipart message, the undecoded body for anything else, and a cap on
// what is read.
#include "mail/mail_body.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_home.h"

namespace skimmer::mail {
namespace {

struct BodyCase {
    const char* name;
    std::string message;
    std::string text;
};

class MailBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(MailBody, IsTheDecodedText) { EXPECT_EQ(mailBodyText(GetParam().message), GetParam().text); }

const std::string kMixed =
    "Content-Type: multipart/mixed; boundary=\"b1\"\n\npreamble\n"
    "--b1\nContent-Type: text/html\n\n<p>html</p>\n"
    "--b1\nContent-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: quoted-printable\n\ncaf=E9=\n au lait\n"
    "--b1--\nepilogue\n";
const std::string kNested =
    "Content-Type: multipart/mixed; boundary=outer\n\n"
    "--outer\nContent-Type: multipart/alternative; boundary=\"inner\"\n\n"
    "--inner\nContent-Type: text/html\n\n<b>x</b>\n--inner\nContent-Type: text/plain\nContent-Transfer-Encoding: base64\n\naW5uZXI=\n--inner--\n"
    "--outer\nContent-Type: application/pdf\n\n%PDF\n--outer--\n";
const std::string kTooDeep =
    "Content-Type: multipart/mixed; boundary=a\n\n--a\nContent-Type: multipart/mixed; boundary=b\n\n"
    "--b\nContent-Type: multipart/mixed; boundary=c\n\n--c\n\ndeep\n--c--\n--b--\n--a--\n";

INSTANTIATE_TEST_SUITE_P(
    EncodingsCharsetsAndParts, MailBody,
    ::testing::Values(
        BodyCase{"plain", "Subject: hi\nFrom: a@b\n\nHello\nworld\n", "Hello\nworld\n"},
        BodyCase{"crlfHeader", "Subject: hi\r\n\r\nline\r\n", "line\r\n"},
        BodyCase{"quotedPrintable",
                 "Content-Transfer-Encoding: quoted-printable\n\nsoft=\nbreak =3D ok =ZZ end=\n", "softbreak = ok =ZZ end"},
        BodyCase{"base64", "Content-Transfer-Encoding: Base64\n\nSGVs\nbG8g\r\nd29ybGQ=\n", "Hello world"},
        BodyCase{"base64Koi8r", "Content-Type: text/plain; charset=\"KOI8-R\"\nContent-Transfer-Encoding: base64\n\n8NLJ18XU\n",
                 "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        BodyCase{"latin1Raw", "Content-Type: text/plain; charset=ISO-8859-1\n\ncaf\xE9\n", "caf\xC3\xA9\n"},
        BodyCase{"invalidUtf8WithoutCharset", "Subject: x\n\na\xFF" "b", "a\xEF\xBF\xBD" "b"},
        BodyCase{"unknownCharsetUndecoded", "Content-Type: text/plain; charset=x-nonesuch\nContent-Transfer-Encoding: base64\n\nSGk=\n",
                 "SGk=\n"},
        BodyCase{"multipartTextPlainSecond", kMixed, "caf\xC3\xA9 au lait"},
        BodyCase{"multipartNestedOneLevel", kNested, "inner"},
        BodyCase{"multipartNestedTooDeepUndecoded", kTooDeep, kTooDeep.substr(kTooDeep.find("\n\n") + 2)},
        BodyCase{"multipartWithoutBoundaryUndecoded", "Content-Type: multipart/mixed\n\nraw\n", "raw\n"},
        BodyCase{"binarySinglePartUndecoded", "Content-Type: image/png\nContent-Transfer-Encoding: base64\n\niVBORw0K\n",
                 "iVBORw0K\n"},
        BodyCase{"noBody", "Subject: only a header\nFrom: a@b\n", ""},
        BodyCase{"noHeaderAllBody", "just text\n\nmore", "just text\n\nmore"},
        BodyCase{"truncatedMultipart",
                 "Content-Type: multipart/mixed; boundary=q\n\n--q\nContent-Type: text/plain\n\ncut sh", "cut sh"},
        BodyCase{"nulKept", std::string("Subject: n\n\na\0b", 15), std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

class MailBodyFile : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        const auto path = home.root() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    skimmer::test::TempHome home;
};

TEST_F(MailBodyFile, AHugeMessageIsCutAtTheCapAndSaysSo) {
    std::string message = "Subject: big\n\n";
    message.resize(kMaxMailBodyRead + 100, 'x');
    const MailBodyRead read = readMailBody(os::realFileSystem(), write("big", message));
    EXPECT_TRUE(read.error.empty()) << read.error;
    EXPECT_TRUE(read.truncated);
    EXPECT_EQ(read.text.size(), kMaxMailBodyRead - 14);
    const MailBodyRead small = readMailBody(os::realFileSystem(), write("small", "Subject: s\n\nbody\n"));
    EXPECT_FALSE(small.truncated);
    EXPECT_EQ(small.text, "body\n");
}

TEST_F(MailBodyFile, WhatCannotBeReadIsAReasonNamingThePath) {
    const std::string fifo = (home.root() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(write("target", "Subject: t\n\nx"), home.root() / "link");
    for (const std::string& path : {fifo, (home.root() / "gone").string(), (home.root() / "link").string()}) {
        const MailBodyRead read = readMailBody(os::realFileSystem(), path);
        EXPECT_NE(read.error.find(path), std::string::npos) << read.error;
        EXPECT_TRUE(read.text.empty());
    }
}

}  // namespace
}  // namespace skimmer::mail
