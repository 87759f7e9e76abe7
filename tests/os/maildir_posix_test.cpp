#include "os/maildir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "os/utf8.h"
#include "tests/support/maildir_maker.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

class MaildirFolders : public ::testing::Test {
protected:
    test::TempHome home_;
    fs::path root() const { return home_.root() / "Maildir"; }
};

TEST_F(MaildirFolders, FindsMaildirPlusPlusAndNestedFoldersButFollowsNoLink) {
    test::makeMaildir(root());
    test::makeMaildir(root() / ".Sent");
    test::makeMaildir(root() / ".Lists.foo");
    test::makeMaildir(root() / "account" / "INBOX");
    fs::create_directories(root() / "cur" / "inside-cur" / "cur");  // never searched
    fs::create_directories(root() / "plain");                      // no cur/: not a Maildir
    fs::create_symlink(root() / ".Sent", root() / ".Alias");
    std::string deep = root() / "d";
    for (int i = 0; i <= kMaxMaildirDepth; ++i) deep += "/d";
    test::makeMaildir(deep);
    const std::string r = root().string();
    const std::vector<std::string> expected = {r, r + "/.Lists.foo", r + "/.Sent", r + "/account/INBOX"};
    EXPECT_EQ(findMaildirs({r, r + "/", home_.root() / "absent"}), expected);
    // Looked through: every folder but cur/new/tmp, links and what lies past the depth limit.
    std::vector<std::string> searched, looked = {r, r + "/.Lists.foo", r + "/.Sent", r + "/account",
                                                 r + "/account/INBOX", r + "/plain"};
    for (std::string d = r + "/d"; looked.size() < 6 + kMaxMaildirDepth - 1; d += "/d") looked.push_back(d);
    std::sort(looked.begin(), looked.end());
    EXPECT_EQ(findMaildirs({r, r + "/"}, &searched), expected);
    EXPECT_EQ(searched, looked);
}

TEST_F(MaildirFolders, ListsRegularMessagesOfCurAndNewOnly) {
    test::makeMaildir(root());
    test::writeMessage(root(), "cur", "1.a.host:2,S", "x");
    test::writeMessage(root(), "new", "2.b.host", "x");
    test::writeMessage(root(), "tmp", "3.c.host", "x");
    test::writeMessage(root(), "cur", ".hidden", "x");
    fs::create_directories(root() / "cur" / "folder");
    ASSERT_EQ(::mkfifo((root() / "new" / "fifo").c_str(), 0600), 0);
    std::vector<std::pair<std::string, bool>> seen;
    EXPECT_TRUE(listMaildir(root(), [&](const MaildirFile& f) { seen.emplace_back(f.name, f.inNew); }));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{{"1.a.host:2,S", false}, {"2.b.host", true}}));
    EXPECT_FALSE(listMaildir(home_.root() / "nothing", [](const MaildirFile&) {}));
}

struct NameCase {
    const char* name;
    const char* file;
    bool inNew;
    const char* unique;
    const char* flags;
    bool unread;
};

class MaildirName : public ::testing::TestWithParam<NameCase> {};

TEST_P(MaildirName, SplitsUniquePartAndFlags) {
    const NameCase& c = GetParam();
    EXPECT_EQ(maildirUniquePart(c.file), c.unique);
    EXPECT_EQ(maildirFlags(c.file), c.flags);
    EXPECT_EQ(maildirUnread(MaildirFile{.path = "", .name = c.file, .inNew = c.inNew}), c.unread);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MaildirName,
    ::testing::Values(NameCase{"delivered", "1700000000.M1P2.host", true, "1700000000.M1P2.host", "", true},
                      NameCase{"seen", "1700000000.M1P2.host:2,RS", false, "1700000000.M1P2.host", "RS", false},
                      NameCase{"curUnseen", "1.x:2,F", false, "1.x", "F", true},
                      NameCase{"sizeKeptInUnique", "1.x,S=4096:2,S", false, "1.x,S=4096", "S", false},
                      NameCase{"seenButStillInNew", "1.x:2,S", true, "1.x", "S", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailEntryIdTest, SurvivesDeliveryAndFlagsButNotAnotherFolder) {
    const MailEntryId delivered = mailEntryId("/m/INBOX", maildirUniquePart("17.M1.host"));
    EXPECT_EQ(mailEntryId("/m/INBOX", maildirUniquePart("17.M1.host:2,RS")), delivered);
    EXPECT_NE(mailEntryId("/m/.Sent", maildirUniquePart("17.M1.host")), delivered);
    EXPECT_NE(mailEntryId("/m/INBOX", maildirUniquePart("18.M1.host")), delivered);
    EXPECT_EQ(mailEntryFolderHash(delivered), mailFolderHash("/m/INBOX"));
}

TEST(MailEntryIdTest, UrlCarriesEachByteAsAHangulSyllableAndHexRoundTrips) {
    const MailEntryId id = mailEntryId("/m/INBOX", "17.M1.host");
    const std::string url = mailEntryUrl(id);
    ASSERT_TRUE(url.starts_with("mapi://"));
    size_t pos = 7;
    for (uint8_t byte : id) {
        char32_t cp = 0;
        const size_t length = decodeUtf8(url, pos, cp);
        ASSERT_EQ(length, 3u);
        EXPECT_EQ(cp, kMailIdCharBase + byte);
        pos += length;
    }
    EXPECT_EQ(pos, url.size());
    const std::string hex = mailEntryIdHex(id);
    EXPECT_EQ(hex.size(), 48u);
    EXPECT_TRUE(hex.starts_with("534B4D01"));
    EXPECT_EQ(parseMailEntryIdHex(hex), id);
    EXPECT_EQ(parseMailEntryIdHex(hex.substr(1)), std::nullopt);
    EXPECT_EQ(parseMailEntryIdHex(hex.substr(0, 47) + "G"), std::nullopt);
}

TEST(MailRoots, AreTheConventionalPlaces) {
    EXPECT_EQ(conventionalMailRoots("/h", ""),
              (std::vector<std::string>{"/h/Maildir", "/h/.mail", "/h/mail", "/h/.local/share/evolution/mail/local"}));
    EXPECT_EQ(conventionalMailRoots("/h", "/x").back(), "/x/evolution/mail/local");
    EXPECT_TRUE(conventionalMailRoots("", "/x").empty());
}

}  // namespace
}  // namespace skimmer::os
