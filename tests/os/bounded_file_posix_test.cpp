#include "os/bounded_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "os/dir_handle.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

using Status = BoundedRead::Status;

class BoundedFile : public ::testing::Test {
protected:
    BoundedFile() : dir(home.root() / "b") {
        std::filesystem::create_directories(dir / "sub");
        std::ofstream(dir / "six", std::ios::binary) << "123456";
        std::filesystem::create_symlink("six", dir / "link");
        mkfifo((dir / "fifo").c_str(), 0600);
    }
    std::string at(const char* name) const { return (dir / name).string(); }
    skimmer::test::TempHome home;
    std::filesystem::path dir;
};

TEST_F(BoundedFile, ReadsAWholeRegularFileUpToTheCapThroughLinks) {
    const BoundedRead read = readBoundedFile(at("link"), 6);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.text, "123456");
}

// What is refused yields no text at all, never a cut file, and says why.
TEST_F(BoundedFile, RefusesWhatIsTooLargeOrNotAFileWithoutBlocking) {
    const BoundedRead large = readBoundedFile(at("six"), 5);
    EXPECT_EQ(large.status, Status::TooLarge);
    EXPECT_EQ(large.text, "");
    EXPECT_EQ(readBoundedFile(at("fifo"), 100).status, Status::NotRegular);
    EXPECT_EQ(readBoundedFile(at("sub"), 100).status, Status::NotRegular);
    const BoundedRead missing = readBoundedFile(at("none"), 100);
    EXPECT_EQ(missing.status, Status::OpenFailed);
    EXPECT_EQ(missing.error, ENOENT);
}

TEST_F(BoundedFile, ADirectoryHandleListsItsFolderAndAdoptsADescriptor) {
    int entries = 0;
    {
        const DirHandle listing = adoptDirectory(UniqueFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
        ASSERT_TRUE(listing);
        while (::readdir(listing.get())) ++entries;
    }
    EXPECT_EQ(entries, 6) << ". .. sub six link fifo";
    EXPECT_FALSE(adoptDirectory(UniqueFd(::open(at("six").c_str(), O_RDONLY | O_CLOEXEC)))) << "not a folder";
    EXPECT_FALSE(adoptDirectory(UniqueFd()));
    EXPECT_FALSE(openDirectory(at("none")));
}

}  // namespace
}  // namespace skimmer::os
