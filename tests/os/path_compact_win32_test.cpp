// The shell's path compaction as the path column uses it: a path that fits comes back as it is, a
// long one fits the width and keeps its file name, and what the shell refuses is said by none.
#include "os/path_compact.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

struct CompactCase {
    const char* name;
    const char* path;
    int width;
};

class ShellCompact : public ::testing::TestWithParam<CompactCase> {};

TEST_P(ShellCompact, FitsTheWidthAndKeepsTheFileName) {
    const CompactCase& c = GetParam();
    const std::string path = c.path;
    const auto got = shellCompactPath(path, c.width);
    ASSERT_TRUE(got);
    EXPECT_LE(got->size(), static_cast<size_t>(c.width)) << *got;
    if (path.size() <= static_cast<size_t>(c.width)) {
        EXPECT_EQ(*got, path);
        return;
    }
    EXPECT_NE(*got, path);
    EXPECT_NE(got->find("..."), std::string::npos) << *got;
    const std::string name = path.substr(path.rfind('\\') + 1);
    if (name.size() + 4 <= static_cast<size_t>(c.width)) {
        EXPECT_TRUE(got->ends_with("\\" + name)) << *got;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShellCompact,
    ::testing::Values(CompactCase{"short", "C:\\Work\\report.doc", 40}, CompactCase{"exact", "C:\\Work\\report.doc", 18},
                      CompactCase{"long", "C:\\Documents and Settings\\ann\\My Documents\\Projects\\report.doc", 30},
                      CompactCase{"one_less", "C:\\Work\\Projects\\Deep\\report.doc", 30},
                      CompactCase{"name_too_long", "C:\\Work\\a-file-name-longer-than-the-column.txt", 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShellCompactLimits, ANonPositiveWidthGivesNothingAndAPathBeyondTheShellGivesNone) {
    EXPECT_EQ(shellCompactPath("C:\\Work\\report.doc", 0), std::string());
    EXPECT_EQ(shellCompactPath("C:\\Work\\report.doc", -5), std::string());
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\report.doc";
    EXPECT_FALSE(shellCompactPath(deep, 40));
}

}  // namespace
}  // namespace skimmer::os
