// Where the host looks for plug-in modules: the user's folder, the build folder's, the installed one,
// and which copy of a module wins when several folders hold it.
#include "host/app/plugin_module.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_home.h"

namespace skimmer::host::app {
namespace {

namespace fs = std::filesystem;

struct FoldersCase {
    const char* xdgDataHome;
    const char* home;
    const char* userFolder;  // nullptr: no user folder
};

class PluginFoldersTest : public ::testing::TestWithParam<FoldersCase> {};

TEST_P(PluginFoldersTest, UserFolderThenBuildFolderThenInstalledFolder) {
    const FoldersCase& c = GetParam();
    const auto folders = pluginFolders("/opt/sk/bin", c.xdgDataHome, c.home);
    const size_t user = c.userFolder != nullptr ? 1 : 0;
    ASSERT_EQ(folders.size(), user + 2);
    if (c.userFolder != nullptr) {
        EXPECT_EQ(folders[0], fs::path(c.userFolder));
    }
    EXPECT_EQ(folders[user], fs::path("/opt/sk/bin/plugins"));
    // The installed folder sits under the prefix's library folder, beside bin/, never inside it.
    const fs::path installed = folders[user + 1];
    EXPECT_TRUE(installed.is_absolute()) << installed;
    EXPECT_EQ(installed.lexically_normal(), installed);
    EXPECT_EQ(installed.filename(), "plugins") << installed;
    EXPECT_EQ(installed.parent_path().filename(), "skimmer") << installed;
    EXPECT_EQ(installed.lexically_relative("/opt/sk/bin").begin()->string(), "..") << installed;
}

INSTANTIATE_TEST_SUITE_P(
    Environment, PluginFoldersTest,
    ::testing::Values(FoldersCase{"/x/data", "/home/u", "/x/data/skimmer/plugins"},
                      FoldersCase{nullptr, "/home/u", "/home/u/.local/share/skimmer/plugins"},
                      FoldersCase{"", "/home/u", "/home/u/.local/share/skimmer/plugins"},
                      FoldersCase{"relative/data", "/home/u", "/home/u/.local/share/skimmer/plugins"},
                      FoldersCase{nullptr, nullptr, nullptr}, FoldersCase{nullptr, "relative", nullptr}));

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "";
}

TEST(FindPluginModules, EarlierFoldersWinByFileNameAndEachFolderIsSorted) {
    test::TempHome home;
    const fs::path user = home.root() / "user", build = home.root() / "build", installed = home.root() / "installed";
    touch(user / "skimmer" / "skimmer.so");          // the user's copy of the installed module
    touch(build / "zeta" / "zeta.so");
    touch(build / "demo" / "demo.so");
    touch(build / "demo" / "notes.txt");
    touch(installed / "skimmer" / "skimmer.so");
    touch(installed / "demo" / "demo.so");            // also in the build folder: skipped
    touch(installed / "extra" / "extra.so");
    fs::create_directories(installed / "extra" / "folder.so");  // a folder, not a module
    const auto found = findPluginModules({user, home.root() / "absent", build, installed});
    const std::vector<fs::path> expected{user / "skimmer" / "skimmer.so", build / "demo" / "demo.so",
                                         build / "zeta" / "zeta.so", installed / "extra" / "extra.so"};
    EXPECT_EQ(found, expected);
}

TEST(FindPluginModules, ReadsTheUsersFolderFromTheEnvironment) {
    test::TempHome home;  // sets XDG_DATA_HOME to home.data()
    const fs::path bin = home.root() / "bin";
    touch(home.data() / "skimmer" / "plugins" / "skimmer" / "skimmer.so");
    touch(bin / "plugins" / "skimmer" / "skimmer.so");
    const auto found = findPluginModules(bin);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], home.data() / "skimmer" / "plugins" / "skimmer" / "skimmer.so");
}

}  // namespace
}  // namespace skimmer::host::app
