// Files the panel writes or copies out are created as any new file is: 0666 less the umask, in
// one piece, with no temporary file left beside them.
#include "os/export_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "os/file_system.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

struct ModeCase {
    const char* name;
    bool copy;      // copyWholeFile from a 0600 source, else writeWholeFile
    mode_t umask;
    mode_t expected;
};

class ExportedFileMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ExportedFileMode, FollowsTheUmaskNotTheTemporaryFile) {
    const ModeCase& c = GetParam();
    test::TempHome home;
    const std::string source = (home.root() / "source.txt").string();
    const std::string target = (home.root() / "target.txt").string();
    std::ofstream(source) << "hit\n";
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
    const mode_t before = ::umask(c.umask);
    std::string error;
    const int err = c.copy ? copyWholeFile(realFileSystem(), source, target, false, error)
                           : writeWholeFile(realFileSystem(), target, "query\n", nullptr, false, error);
    ::umask(before);
    ASSERT_EQ(err, 0) << error;
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.expected);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(home.root())) files += entry.is_regular_file();
    EXPECT_EQ(files, 2u) << "no temporary file is left beside the target";
}

INSTANTIATE_TEST_SUITE_P(Writers, ExportedFileMode,
                         ::testing::Values(ModeCase{"written_022", false, 022, 0644},
                                           ModeCase{"written_077", false, 077, 0600},
                                           ModeCase{"copied_022", true, 022, 0644},
                                           ModeCase{"copied_002", true, 002, 0664}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::os
