#include "os/path_syntax.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

struct PathCase {
    std::string path;
    bool absoluteWithName;
};

class WindowsPathSyntax : public ::testing::TestWithParam<PathCase> {};

TEST_P(WindowsPathSyntax, DriveOrUncThenAName) {
    EXPECT_EQ(isAbsolutePathWithName(GetParam().path), GetParam().absoluteWithName) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Paths, WindowsPathSyntax,
                         ::testing::Values(PathCase{"C:\\a.txt", true}, PathCase{"c:/dir/a b", true},
                                           PathCase{"\\\\server\\share\\x", true}, PathCase{"C:\\", false},
                                           PathCase{"C:\\dir\\", false}, PathCase{"C:a.txt", false},
                                           PathCase{"\\a.txt", false}, PathCase{"a\\b", false},
                                           PathCase{"\\\\\\x", false}, PathCase{"", false}, PathCase{"  ", false}));

}  // namespace
}  // namespace skimmer::os
