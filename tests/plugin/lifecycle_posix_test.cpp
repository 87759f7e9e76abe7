// The parts of the start-up that rest on Linux's own calls: the load stamp of a moment in a zone
// set through TZ, and the temporary folder's mode bits.
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "os/clock.h"
#include "plugin/load_stamp.h"
#include "tests/plugin/plugin_fixture.h"

namespace skimmer::plugin {
namespace {

TEST(LoadStamp, NoonOfADayInUtcIsHalfADay) {
    // 2023-03-15 12:00 in a UTC zone is OLE date 45000.5.
    setenv("TZ", "UTC0", 1);
    tzset();
    const auto ole = os::oleFromUnix({1678881600, 0});
    ASSERT_TRUE(ole.has_value());
    EXPECT_EQ(loadStampFromOleDate(*ole), "450005000");
}

TEST_F(PluginFixture, TemporaryFolderIsForItsOwnerOnly) {
    start();
    const std::filesystem::path folder = state.PluginTempDir();
    ASSERT_FALSE(folder.empty());
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace skimmer::plugin
