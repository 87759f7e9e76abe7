#include "os/temp_dir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

class TempDirTest : public ::testing::Test {
protected:
    test::TempHome home_;
    fs::path tmp_ = home_.root() / "tmp";
};

TEST_F(TempDirTest, CreatesAPrivateFolderUnderTmpdir) {
    std::string error;
    auto dir = TempDir::create("skimmer", "1234", error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(dir->path(), tmp_ / "skimmer.1234");
    struct stat st {};
    ASSERT_EQ(::lstat(dir->path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

TEST_F(TempDirTest, KeepsMode0700UnderANarrowUmask) {
    const mode_t old = ::umask(0277);
    std::string error;
    auto dir = TempDir::create("skimmer", "umask", error);
    ::umask(old);
    ASSERT_TRUE(dir) << error;
    struct stat st {};
    ASSERT_EQ(::lstat(dir->path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

TEST_F(TempDirTest, TwoInstancesWithOneStampGetTwoFolders) {
    std::string error;
    auto first = TempDir::create("skimmer", "42", error);
    auto second = TempDir::create("skimmer", "42", error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_NE(first->path(), second->path());
    EXPECT_EQ(second->path(), tmp_ / "skimmer.42.1");
}

TEST_F(TempDirTest, NeverUsesAPlantedSymlink) {
    const fs::path victim = home_.root() / "victim";
    fs::create_directory(victim);
    fs::create_directory_symlink(victim, tmp_ / "skimmer.7");
    std::string error;
    auto dir = TempDir::create("skimmer", "7", error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(dir->path(), tmp_ / "skimmer.7.1");
    ASSERT_TRUE(dir->createFile("TempPanel.temp", error).valid()) << error;
    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_TRUE(fs::is_symlink(tmp_ / "skimmer.7"));
}

TEST_F(TempDirTest, RemovesOnlyWhatItCreated) {
    std::string error;
    auto dir = TempDir::create("skimmer", "9", error);
    ASSERT_TRUE(dir) << error;
    ASSERT_TRUE(dir->createFile("ours", error).valid()) << error;
    EXPECT_FALSE(dir->createFile("ours", error).valid());  // exclusive
    EXPECT_FALSE(dir->createFile("../escape", error).valid());
    std::ofstream(dir->pathOf("adopted")) << "x";
    ASSERT_TRUE(dir->adopt("adopted", error));
    // A foreign file and a link pointing outside: the link target must survive.
    const fs::path outside = home_.root() / "keep.txt";
    std::ofstream(outside) << "keep";
    fs::create_symlink(outside, dir->pathOf("link"));
    ASSERT_TRUE(dir->adopt("link", error));
    std::ofstream(dir->pathOf("foreign")) << "y";

    EXPECT_FALSE(dir->remove(error));  // the foreign file keeps the folder
    EXPECT_TRUE(fs::exists(dir->pathOf("foreign")));
    EXPECT_FALSE(fs::exists(dir->pathOf("ours")));
    EXPECT_FALSE(fs::exists(dir->pathOf("adopted")));
    EXPECT_FALSE(fs::is_symlink(dir->pathOf("link")));
    EXPECT_TRUE(fs::exists(outside));

    fs::remove(dir->pathOf("foreign"));
    EXPECT_TRUE(dir->remove(error)) << error;
    EXPECT_FALSE(fs::exists(dir->path()));
}

TEST_F(TempDirTest, DestructorRemovesTheFolder) {
    std::string error;
    fs::path path;
    {
        auto dir = TempDir::create("skimmer", "d", error);
        ASSERT_TRUE(dir) << error;
        path = dir->path();
        ASSERT_TRUE(dir->createFile("f", error).valid());
    }
    EXPECT_FALSE(fs::exists(path));
}

// Each replacement leaves exactly the latest contents, a link planted where the new contents are
// staged is removed rather than written through, and the folder still empties at the end.
TEST_F(TempDirTest, ReplaceFileSwapsContentsWithoutFollowingLinks) {
    std::string error;
    auto dir = TempDir::create("skimmer", "r", error);
    ASSERT_TRUE(dir) << error;
    const fs::path outside = home_.root() / "outside.txt";
    std::ofstream(outside) << "keep";
    fs::create_symlink(outside, dir->pathOf("list.new"));
    for (const std::string& contents : {std::string("first line\n"), std::string(), std::string("a\0b\xff\n", 5)}) {
        ASSERT_TRUE(dir->replaceFile("list", contents, error)) << error;
        std::ifstream in(dir->pathOf("list"), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), contents);
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir->pathOf("list.new"))));
    }
    std::ifstream kept(outside);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
    EXPECT_FALSE(dir->replaceFile("../list", "x", error));
    EXPECT_TRUE(dir->remove(error)) << error;
    EXPECT_FALSE(fs::exists(dir->path()));
}

TEST_F(TempDirTest, ReportsAMissingParent) {
    std::string error;
    EXPECT_FALSE(TempDir::create("skimmer", "1", error, home_.root() / "nope"));
    EXPECT_NE(error.find("nope"), std::string::npos);
    EXPECT_FALSE(TempDir::create("a/b", "1", error));
}

}  // namespace
}  // namespace skimmer::os

namespace skimmer::os {
namespace {

// A folder as a host killed mid-session leaves it: made by a child process that then dies by
// SIGKILL (no destructor runs), holding a file and a link to a file outside.
fs::path leftByKilledHost(const std::string& prefix, const std::string& stamp, const fs::path& outside,
                          bool marked = true) {
    const fs::path expected = systemTempRoot() / (prefix + "." + stamp);
    const pid_t child = ::fork();
    if (child == 0) {
        std::string error;
        auto dir = marked ? TempDir::createReclaimable(prefix, stamp, error) : TempDir::create(prefix, stamp, error);
        if (!dir || !dir->createFile("hit.txt", error).valid()) ::_exit(2);
        if (::symlink(outside.c_str(), dir->pathOf("link").c_str()) != 0) ::_exit(3);
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the child failed to set up: " << WEXITSTATUS(status);
    return expected;
}

struct Leftover {
    std::string what;
    // Makes something under the temporary root; answers the path a reclaim looks at.
    std::function<fs::path(const fs::path& outside, std::vector<std::unique_ptr<TempDir>>& alive)> plant;
    bool reclaimed;
};
void PrintTo(const Leftover& c, std::ostream* out) { *out << c.what; }

class Reclaim : public ::testing::TestWithParam<Leftover> {
protected:
    test::TempHome home_;
};

TEST_P(Reclaim, RemovesOnlyOurFoldersWhoseProcessIsGoneAndNeverFollowsALink) {
    const fs::path outside = home_.root() / "outside.txt";
    std::ofstream(outside) << "keep me";
    std::vector<std::unique_ptr<TempDir>> alive;
    const fs::path planted = GetParam().plant(outside, alive);
    ASSERT_TRUE(fs::exists(fs::symlink_status(planted)));
    EXPECT_EQ(TempDir::reclaimStale("skimmer"), GetParam().reclaimed ? 1u : 0u);
    EXPECT_EQ(fs::exists(fs::symlink_status(planted)), !GetParam().reclaimed);
    EXPECT_TRUE(fs::exists(outside));
    std::string error;
    EXPECT_TRUE(TempDir::createReclaimable("skimmer", "100", error)) << error;  // the host starts as usual
}

INSTANTIATE_TEST_SUITE_P(Leftovers, Reclaim, ::testing::Values(
    Leftover{"of_a_killed_host", [](const fs::path& outside, auto&) { return leftByKilledHost("skimmer", "100", outside); }, true},
    Leftover{"with_a_suffix", [](const fs::path& outside, auto&) {
        std::filesystem::create_directory(systemTempRoot() / "skimmer.100");
        return leftByKilledHost("skimmer", "100", outside).string() + ".1";
    }, true},
    Leftover{"of_a_living_host", [](const fs::path&, auto& alive) {
        std::string error;
        alive.push_back(TempDir::createReclaimable("skimmer", "100", error));
        return alive.back()->path();
    }, false},
    Leftover{"of_another_prefix", [](const fs::path& outside, auto&) { return leftByKilledHost("skimmer-panel", "100", outside); }, false},
    Leftover{"behind_a_link", [](const fs::path& outside, auto&) {
        const fs::path target = leftByKilledHost("other", "100", outside);
        const fs::path link = systemTempRoot() / "skimmer.200";
        fs::create_directory_symlink(target, link);
        return link;
    }, false},
    Leftover{"not_private", [](const fs::path& outside, auto&) {
        const fs::path dir = leftByKilledHost("skimmer", "100", outside);
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
        return dir;
    }, false},
    Leftover{"made_unmarked", [](const fs::path& outside, auto&) { return leftByKilledHost("skimmer", "100", outside, false); }, false},
    Leftover{"without_an_owner_file", [](const fs::path&, auto&) {
        const fs::path dir = systemTempRoot() / "skimmer.300";
        fs::create_directory(dir);
        fs::permissions(dir, fs::perms::owner_all);
        std::ofstream(dir / "file") << "x";
        return dir;
    }, false}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace skimmer::os
