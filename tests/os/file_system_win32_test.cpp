// The real FileSystem on Windows against the system's own file system: the POSIX meanings the
// hive and the panel rely on (replace by rename while a reader holds the file, delete while open,
// a lock with a timeout that bars nobody's reads) and errors as errno values.
#include "os/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "tests/os/scratch_folder.h"

namespace skimmer::os {
namespace {

using namespace std::chrono_literals;

class RealFileSystem : public ::testing::Test {
protected:
    FileSystem& fs_ = realFileSystem();
    test::ScratchFolder dir_;

    FileHandle openFile(const std::string& name, int flags, int& err) {
        int fd = -1;
        err = fs_.open(dir_.text(name), flags, 0600, fd);
        return err ? FileHandle() : FileHandle(fs_, fd);
    }
    std::string readThrough(const FileHandle& file) {
        std::string out;
        bool tooLarge = false;
        EXPECT_EQ(readAll(fs_, file.get(), out, 1 << 20, tooLarge), 0);
        return out;
    }
};

TEST_F(RealFileSystem, RenameReplacesAFileAReaderHoldsOpen) {
    dir_.write("hive", "old contents");
    dir_.write("hive.new", "new contents");
    int err = 0;
    FileHandle reader = openFile("hive", O_RDONLY, err);
    ASSERT_EQ(err, 0);
    FileStat before;
    ASSERT_EQ(fs_.fstat(reader.get(), before), 0);

    ASSERT_EQ(fs_.rename(dir_.text("hive.new"), dir_.text("hive")), 0);

    EXPECT_EQ(readThrough(reader), "old contents") << "the reader keeps the file it opened";
    EXPECT_EQ(dir_.read("hive"), "new contents");
    FileStat after;
    ASSERT_EQ(fs_.stat(dir_.text("hive"), after), 0);
    EXPECT_NE(after.inode, before.inode) << "a replaced file is told apart by its identity";
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "hive.new"));
    reader.reset();
    std::vector<std::string> names;
    ASSERT_EQ(fs_.listDirectory(dir_.path().string(), names), 0);
    EXPECT_EQ(names, std::vector<std::string>{"hive"}) << "the old file went with its last reader";
}

TEST_F(RealFileSystem, UnlinksAFileThatIsOpen) {
    dir_.write("gone", "data");
    int err = 0;
    FileHandle reader = openFile("gone", O_RDONLY, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(fs_.unlink(dir_.text("gone")), 0);
    EXPECT_EQ(readThrough(reader), "data");
    reader.reset();
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "gone"));
}

struct OpenCase {
    const char* what;
    bool exists;
    int flags;
    int error;
    const char* contentsAfterWritingXY;  // null: nothing is written
};

class OpenFlags : public RealFileSystem, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenFlags, MeanWhatTheyMeanOnPosix) {
    const OpenCase& c = GetParam();
    if (c.exists) dir_.write("f", "abc");
    int err = 0;
    FileHandle file = openFile("f", c.flags, err);
    ASSERT_EQ(err, c.error) << c.what;
    if (!c.contentsAfterWritingXY) return;
    ASSERT_EQ(writeAll(fs_, file.get(), "XY"), 0);
    ASSERT_EQ(fs_.fsync(file.get()), 0);
    ASSERT_EQ(file.reset(), 0);
    EXPECT_EQ(dir_.read("f"), c.contentsAfterWritingXY) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenFlags,
    ::testing::Values(OpenCase{"missing for reading", false, O_RDONLY, ENOENT, nullptr},
                      OpenCase{"created", false, O_WRONLY | O_CREAT, 0, "XY"},
                      OpenCase{"exclusive on an existing file", true, O_WRONLY | O_CREAT | O_EXCL, EEXIST, nullptr},
                      OpenCase{"written over from the start", true, O_WRONLY, 0, "XYc"},
                      OpenCase{"truncated", true, O_WRONLY | O_TRUNC, 0, "XY"},
                      OpenCase{"appended", true, O_WRONLY | O_APPEND, 0, "abcXY"},
                      OpenCase{"binary: no newline translation", false, O_RDWR | O_CREAT, 0, "XY"}));

TEST_F(RealFileSystem, KeepsBytesAsTheyAre) {
    const std::string bytes("a\r\nb\nc\x1a" "d\0e", 9);
    int err = 0;
    FileHandle file = openFile("bin", O_RDWR | O_CREAT, err);
    ASSERT_EQ(err, 0);
    ASSERT_EQ(writeAll(fs_, file.get(), bytes), 0);
    file.reset();
    EXPECT_EQ(dir_.read("bin"), bytes);
    FileHandle again = openFile("bin", O_RDONLY, err);
    EXPECT_EQ(readThrough(again), bytes);
}

TEST_F(RealFileSystem, StatTellsFilesFoldersAndMissingApart) {
    dir_.write("f", "12345");
    FileStat st;
    ASSERT_EQ(fs_.stat(dir_.text("f"), st), 0);
    EXPECT_TRUE(st.isRegular);
    EXPECT_FALSE(st.isDirectory);
    EXPECT_EQ(st.size, 5u);
    int err = 0;
    FileHandle file = openFile("f", O_RDONLY, err);
    FileStat viaHandle;
    ASSERT_EQ(fs_.fstat(file.get(), viaHandle), 0);
    EXPECT_EQ(viaHandle, st);
    ASSERT_EQ(fs_.stat(dir_.path().string(), st), 0);
    EXPECT_TRUE(st.isDirectory);
    EXPECT_EQ(fs_.stat(dir_.text("none"), st), ENOENT);
    // A folder opens for reading, as open(2) allows, and shows as no regular file.
    int fd = -1;
    ASSERT_EQ(fs_.open(dir_.path().string(), O_RDONLY, 0, fd), 0);
    const FileHandle folder(fs_, fd);
    ASSERT_EQ(fs_.fstat(fd, st), 0);
    EXPECT_FALSE(st.isRegular);
}

TEST_F(RealFileSystem, LockWaitsAtMostItsTimeoutAndBarsNoReader) {
    dir_.write("lock", "readable");
    int err = 0;
    FileHandle first = openFile("lock", O_RDWR, err);
    FileHandle second = openFile("lock", O_RDWR, err);
    ASSERT_EQ(fs_.lock(first.get(), 0ms), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fs_.lock(second.get(), 50ms), ETIMEDOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(readThrough(second), "readable") << "the lock guards no byte of the file";
    first.reset();  // the lock goes with its descriptor
    EXPECT_EQ(fs_.lock(second.get(), 1000ms), 0);
}

TEST_F(RealFileSystem, MakeTempCreatesNewFilesUnderFreshNames) {
    std::string first = dir_.text("hive.XXXXXX"), second = first;
    int fd = -1;
    ASSERT_EQ(fs_.makeTemp(first, fd), 0);
    FileHandle a(fs_, fd);
    ASSERT_EQ(fs_.makeTemp(second, fd), 0);
    FileHandle b(fs_, fd);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.find("XXXXXX"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(first));
    ASSERT_EQ(writeAll(fs_, a.get(), "x"), 0);  // opened for writing
    std::string bad = dir_.text("no-template");
    EXPECT_EQ(fs_.makeTemp(bad, fd), EINVAL);
}

TEST_F(RealFileSystem, FoldersAreMadeListedAndSynced) {
    EXPECT_EQ(fs_.mkdir(dir_.text("sub"), 0700), 0);
    EXPECT_EQ(fs_.mkdir(dir_.text("sub"), 0700), EEXIST);
    dir_.write("b", "");
    dir_.write("a", "");
    std::vector<std::string> names;
    ASSERT_EQ(fs_.listDirectory(dir_.path().string(), names), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "sub"}));
    EXPECT_EQ(fs_.listDirectory(dir_.text("none"), names), ENOENT);
    EXPECT_EQ(fs_.syncDirectory(dir_.path().string()), 0);
    EXPECT_EQ(fs_.syncDirectory(dir_.text("none")), ENOENT);
    EXPECT_EQ(fs_.syncDirectory(dir_.text("a")), ENOTDIR);
}

TEST_F(RealFileSystem, NothingIsALinkToReadButMissingIsMissing) {
    dir_.write("f", "");
    std::string target = "untouched";
    EXPECT_EQ(fs_.readLink(dir_.text("f"), target), EINVAL);
    EXPECT_EQ(fs_.readLink(dir_.text("none"), target), ENOENT);
    EXPECT_EQ(target, "untouched");
}

}  // namespace
}  // namespace skimmer::os
