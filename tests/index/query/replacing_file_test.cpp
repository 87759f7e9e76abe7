// A file built piece by piece replaces its target only when committed whole: a failure anywhere
// sticks, names its step, and leaves the target as it was and no temporary file behind.
#include "index/query/sidecar_file.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace skimmer::index::query {
namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

enum class Ending { Committed, Abandoned, ReadPastEnd, NoFolder };

class ReplacingFileEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(ReplacingFileEnding, ReplacesTheTargetOnlyWhenCommittedWhole) {
    skimmer::test::TempHome home;
    const Ending ending = GetParam();
    const std::filesystem::path target = (ending == Ending::NoFolder ? home.root() / "missing" : home.root()) / "x.names";
    if (ending != Ending::NoFolder) std::ofstream(target, std::ios::binary) << "old";
    {
        ReplacingFile file;
        file.create(target);
        file.writeAt(8, "tail", 4);  // out of order, leaving a hole
        file.writeAt(0, "head", 4);
        char back[12];
        if (ending == Ending::ReadPastEnd) {
            EXPECT_FALSE(file.readAt(4, back, sizeof back));
        } else if (ending != Ending::NoFolder) {
            EXPECT_TRUE(file.readAt(0, back, sizeof back));
        }
        if (ending != Ending::Abandoned) {
            EXPECT_EQ(file.commit(), ending == Ending::Committed) << file.error();
            const char* step = ending == Ending::NoFolder ? "creating " : ending == Ending::ReadPastEnd ? "reading " : "";
            EXPECT_EQ(file.error().rfind(step, 0), 0u) << file.error();
        }
    }
    if (ending == Ending::Committed) {
        EXPECT_EQ(contents(target), std::string("head\0\0\0\0tail", 12));
    } else if (ending != Ending::NoFolder) {
        EXPECT_EQ(contents(target), "old");
    } else {
        EXPECT_FALSE(std::filesystem::exists(target.parent_path()));
    }
    if (ending == Ending::NoFolder) return;
    for (const auto& entry : std::filesystem::directory_iterator(home.root())) {
        EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, ReplacingFileEnding,
                         ::testing::Values(Ending::Committed, Ending::Abandoned, Ending::ReadPastEnd, Ending::NoFolder));

}  // namespace
}  // namespace skimmer::index::query
