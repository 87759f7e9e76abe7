#include "os/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace skimmer::os {
namespace {

TEST(JoinPath, PutsOneSlashBetweenFolderAndNameEvenAtTheRoot) {
    EXPECT_EQ(joinPath("/home/a", "b.txt"), "/home/a/b.txt");
    EXPECT_EQ(joinPath("/", "etc"), "/etc");
    EXPECT_EQ(joinPath("rel", "x"), "rel/x");
}

struct UnderCase {
    const char* label;
    std::string path;
    std::string folder;
    bool atOrUnder;
    bool strictlyUnder;
};

std::ostream& operator<<(std::ostream& out, const UnderCase& c) { return out << c.label; }

class Under : public ::testing::TestWithParam<UnderCase> {};

// The two tests differ only on the folder itself; a shared prefix that stops inside a name is
// never "under".
TEST_P(Under, ComparesWholeComponents) {
    const UnderCase& c = GetParam();
    EXPECT_EQ(isAtOrUnder(c.path, c.folder), c.atOrUnder);
    EXPECT_EQ(isStrictlyUnder(c.path, c.folder), c.strictlyUnder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Under,
    ::testing::Values(UnderCase{"child", "/a/b", "/a", true, true}, UnderCase{"deep", "/a/b/c", "/a", true, true},
                      UnderCase{"itself", "/a", "/a", true, false},
                      UnderCase{"name_prefix_only", "/ab", "/a", false, false},
                      UnderCase{"parent", "/", "/a", false, false}, UnderCase{"root_holds_all", "/x", "/", true, true},
                      UnderCase{"root_itself", "/", "/", true, false},
                      UnderCase{"relative_is_not_under_root", "x", "/", false, false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace skimmer::os
