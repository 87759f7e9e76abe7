#include "os/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
