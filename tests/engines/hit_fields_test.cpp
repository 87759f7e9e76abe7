#include <gtest/gtest.h>

#include "engines/hit_fields.h"

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
    EXPECT_EQ(LinkTargetNamePart("/opt/a\\b/c"), "c");
}

}  // namespace
}  // namespace skimmer::engines
