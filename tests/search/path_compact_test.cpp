#include <gtest/gtest.h>

#include "results/text_trunc.h"
#include "search/path_compact.h"

namespace skimmer::search {
namespace {

struct Compact {
    const char* path;
    int max;
    const char* expected;
};

class PathCompaction : public ::testing::TestWithParam<Compact> {};

TEST_P(PathCompaction, KeepsTheNameAndFitsTheWidth) {
    const Compact& c = GetParam();
    const std::string got = CompactPath(c.path, c.max);
    EXPECT_EQ(got, c.expected);
    EXPECT_LE(results::CharCount(got), static_cast<size_t>(c.max < 0 ? 0 : c.max));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathCompaction,
    ::testing::Values(Compact{"home/ann/report.txt", 19, "home/ann/report.txt"},
                      Compact{"/home/ann/projects/report.txt", 20, "/home/.../report.txt"},
                      Compact{"/home/ann/projects/report.txt", 14, ".../report.txt"},
                      Compact{"/home/ann/projects/report.txt", 12, "report.tx..."},
                      Compact{"/home/ann/projects/report.txt", 2, ".."},
                      Compact{"/дом/документы/отчёт.txt", 16, "/до.../отчёт.txt"},
                      Compact{"averyveryverylongname", 10, "averyve..."}));

}  // namespace
}  // namespace skimmer::search
