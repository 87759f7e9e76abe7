#include <gtest/gtest.h>

#include "engines/hit_fields.h"
#include "tests/engines/engine_test_util.h"

namespace skimmer::engines {
namespace {

struct SplitCase {
    std::string path, folder, name, ext;
};

class PathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplit, FolderKeepsItsSeparatorAndExtensionComesFromTheName) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(FolderPart(c.path), c.folder);
    EXPECT_EQ(NamePart(c.path), c.name);
    EXPECT_EQ(UrlExtension(c.path), c.ext);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathSplit,
    ::testing::Values(SplitCase{"/home/u/a b.txt", "/home/u/", "a b.txt", ".txt"},
                      SplitCase{"/home/u.d/readme", "/home/u.d/", "readme", ""},
                      SplitCase{"/x/archive.tar.gz", "/x/", "archive.tar.gz", ".gz"},
                      SplitCase{"/x/.bashrc", "/x/", ".bashrc", ".bashrc"},
                      SplitCase{"name.md", "", "name.md", ".md"},
                      SplitCase{"/", "/", "", ""},
                      SplitCase{"https://example.org/page", "https://example.org/", "page", ""},
                      SplitCase{"mapi://x.y/z", "mapi://x.y/", "z", ""},
                      SplitCase{"/bytes/\xFF\xFE.\xC3", "/bytes/", "\xFF\xFE.\xC3", ".\xC3"}));

TEST(LinkTargetSplit, AShortcutsTargetSplitsAtEitherSeparator) {
    EXPECT_EQ(LinkTargetFolderPart("C:\\Program Files\\app.exe"), "C:\\Program Files\\");
    EXPECT_EQ(LinkTargetNamePart("C:\\Program Files\\app.exe"), "app.exe");
    EXPECT_EQ(LinkTargetFolderPart("/opt/a\\b/c"), "/opt/a\\b/");
    EXPECT_EQ(LinkTargetNamePart(""), "");
}

TEST(ShortcutExtension, AnyAsciiCaseOfDotLnk) {
    for (const char* yes : {".lnk", ".LNK", ".Lnk"}) EXPECT_TRUE(IsShortcutExtension(yes)) << yes;
    for (const char* no : {"lnk", ".lnk2", ".ln", "", ".lnĸ"}) EXPECT_FALSE(IsShortcutExtension(no)) << no;
}

std::string utf8(char32_t c) {
    std::string s;
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

TEST(MailEntryId, EachCharacterAfterTheLastSlashGivesOneByte) {
    std::string url = "mapi://{S-1-5}/Inbox/";
    std::string expected;
    for (int i = 0; i < 24; ++i) {
        const int byte = (i * 37 + 5) & 0xFF;
        url += utf8(0xAC00 + static_cast<char32_t>(byte));
        static const char* hex = "0123456789ABCDEF";
        expected += hex[byte >> 4];
        expected += hex[byte & 15];
    }
    url += utf8(0xAC01);  // a 25th character is not part of the id
    EXPECT_EQ(MailEntryIdFromUrl(url), expected);
    EXPECT_EQ(expected.size(), 48u);
    EXPECT_EQ(MailEntryIdFromUrl("mapi://a/" + utf8(0xAC00 + 0xAB)), "AB") << "a short id gives what is there";
    EXPECT_EQ(MailEntryIdFromUrl("file:/home/x"), "");
    EXPECT_EQ(MailEntryIdFromUrl("MAPI://a/b"), "") << "the prefix is compared as written";
}

class HitSize : public test::EngineFixture {};

TEST_F(HitSize, FollowsLinksAndGivesMinusOneWhenNothingIsThere) {
    writeFile(dir / "five", "12345");
    std::filesystem::create_symlink(dir / "five", dir / "link");
    std::filesystem::create_symlink(dir / "gone", dir / "dangling");
    EXPECT_EQ(HitFileSize((dir / "five").string()), 5);
    EXPECT_EQ(HitFileSize((dir / "link").string()), 5);
    EXPECT_EQ(HitFileSize((dir / "dangling").string()), -1);
    EXPECT_EQ(HitFileSize((dir / "nothing").string()), -1);
    EXPECT_EQ(HitFileSize(""), -1);
}

}  // namespace
}  // namespace skimmer::engines
