// The path column on Windows: the shell's compaction while it will, our own for a path it refuses,
// and either way the column's width is never exceeded and a path that fits is left alone.
#include "search/path_compact.h"

#include <gtest/gtest.h>

#include "results/text_trunc.h"

namespace skimmer::search {
namespace {

struct ColumnCase {
    const char* name;
    std::string path;
    int width;
};

class PathColumn : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(PathColumn, NeverExceedsTheWidthAndLeavesAFittingPathAlone) {
    const ColumnCase& c = GetParam();
    const std::string got = CompactPathForColumn(c.path, c.width);
    EXPECT_LE(results::CharCount(got), static_cast<size_t>(c.width)) << got;
    if (results::CharCount(c.path) <= static_cast<size_t>(c.width)) {
        EXPECT_EQ(got, c.path);
    } else {
        EXPECT_TRUE(got.ends_with("report.doc")) << got;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathColumn,
    ::testing::Values(ColumnCase{"fits", "C:\\Work\\report.doc", 30},
                      ColumnCase{"shell", "C:\\Documents and Settings\\ann\\Projects\\report.doc", 30},
                      // Beyond MAX_PATH the shell refuses; our own compaction answers.
                      ColumnCase{"beyond_the_shell", "C:\\" + std::string(300, 'd') + "\\report.doc", 30}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::search
