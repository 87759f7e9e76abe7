#include "os/path_syntax.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

struct PathCase {
    std::string path;
    bool absoluteWithName;
};

class LinuxPathSyntax : public ::testing::TestWithParam<PathCase> {};

TEST_P(LinuxPathSyntax, SlashThenAName) {
    EXPECT_EQ(isAbsolutePathWithName(GetParam().path), GetParam().absoluteWithName) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Paths, LinuxPathSyntax,
                         ::testing::Values(PathCase{"/a", true}, PathCase{"/dir/a b", true}, PathCase{"/", false},
                                           PathCase{"//", false}, PathCase{"/dir/", false}, PathCase{"a/b", false},
                                           PathCase{"C:\\a.txt", false}, PathCase{"", false}));

}  // namespace
}  // namespace skimmer::os
