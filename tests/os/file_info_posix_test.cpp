#include "os/file_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

class FileInfo : public ::testing::Test {
protected:
    FileInfo() : dir(home.root() / "f") {
        std::filesystem::create_directories(dir / "sub");
        std::ofstream(dir / "sub" / "six", std::ios::binary) << "123456";
        std::filesystem::create_symlink("sub/six", dir / "relative");
        std::filesystem::create_symlink(dir / "sub" / "six", dir / "absolute");
        std::filesystem::create_symlink("gone", dir / "dangling");
        mkfifo((dir / "fifo").c_str(), 0600);
    }
    std::string at(const char* name) const { return (dir / name).string(); }
    skimmer::test::TempHome home;
    std::filesystem::path dir;
};

TEST_F(FileInfo, LinksAreFollowedForSizeAndResolvedFromTheirOwnFolder) {
    EXPECT_EQ(fileSizeFollowingLinks(at("relative")), 6u);
    EXPECT_EQ(fileSizeFollowingLinks(at("dangling")), std::nullopt);
    EXPECT_EQ(symlinkText(at("relative")), "sub/six");
    EXPECT_EQ(symlinkTargetPath(at("relative")), at("sub/six"));
    EXPECT_EQ(symlinkTargetPath(at("absolute")), at("sub/six"));
    EXPECT_EQ(symlinkTargetPath(at("dangling")), at("gone")) << "a dangling link still names its target";
    EXPECT_EQ(symlinkTargetPath(at("sub/six")), std::nullopt) << "not a link";
    EXPECT_FALSE(pathExists(at("dangling")));
    EXPECT_TRUE(pathExists(at("relative")));
}

TEST_F(FileInfo, ReadingAPrefixNeverHangsOnAFifoAndRefusesWhatIsNotAFile) {
    std::string out = "untouched";
    uint64_t size = 0;
    EXPECT_EQ(readFilePrefix(at("fifo"), 10, out, size), EINVAL);
    EXPECT_EQ(readFilePrefix(at("sub"), 10, out, size), EISDIR);
    EXPECT_EQ(readFilePrefix(at("none"), 10, out, size), ENOENT);
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(readFilePrefix(at("relative"), 4, out, size), 0);
    EXPECT_EQ(out, "1234");
    EXPECT_EQ(size, 6u);
}

}  // namespace
}  // namespace skimmer::os
