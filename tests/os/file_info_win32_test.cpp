// The engines' file questions and the bounded reader against Windows' file system: regular files
// read, folders and devices refused without opening them, the live environment.
#include "os/bounded_file.h"
#include "os/file_info.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <string>

#include "tests/os/scratch_folder.h"

namespace skimmer::os {
namespace {

class FileInfoWin : public ::testing::Test {
protected:
    test::ScratchFolder dir_;
};

TEST_F(FileInfoWin, ReadsAPrefixAndTheSize) {
    dir_.write("f", "0123456789");
    std::string out;
    uint64_t size = 0;
    ASSERT_EQ(readFilePrefix(dir_.text("f"), 4, out, size), 0);
    EXPECT_EQ(out, "0123");
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(fileSizeFollowingLinks(dir_.text("f")), 10u);
    EXPECT_TRUE(pathExists(dir_.text("f")));
    EXPECT_FALSE(pathExists(dir_.text("none")));
    EXPECT_FALSE(fileSizeFollowingLinks(dir_.text("none")));
    EXPECT_EQ(readFilePrefix(dir_.text("none"), 4, out, size), ENOENT);
    EXPECT_EQ(readFilePrefix(dir_.path().string(), 4, out, size), EISDIR);
    EXPECT_FALSE(symlinkText(dir_.text("f")));
}

class Device : public FileInfoWin, public ::testing::WithParamInterface<const char*> {};

TEST_P(Device, IsNeverOpened) {
    std::string out = "untouched";
    uint64_t size = 0;
    EXPECT_EQ(readFilePrefix(GetParam(), 4, out, size), EINVAL);
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(fileSizeFollowingLinks(GetParam()));
    EXPECT_EQ(readBoundedFile(GetParam(), 100).status, BoundedRead::Status::NotRegular);
}

INSTANTIATE_TEST_SUITE_P(Names, Device, ::testing::Values("NUL", "nul.txt", "C:\\x\\CON", "lpt1", "\\\\.\\PhysicalDrive0",
                                                          "CONIN$"));

struct BoundedCase {
    const char* what;
    size_t fileBytes;  // SIZE_MAX: a folder
    size_t cap;
    BoundedRead::Status status;
};

class Bounded : public FileInfoWin, public ::testing::WithParamInterface<BoundedCase> {};

TEST_P(Bounded, ReadsWholeFilesWithinTheCapOnly) {
    const BoundedCase& c = GetParam();
    const std::string name = "f";
    if (c.fileBytes == SIZE_MAX) std::filesystem::create_directory(dir_.path() / name);
    else dir_.write(name, std::string(c.fileBytes, 'x'));
    const BoundedRead read = readBoundedFile(dir_.text(name), c.cap);
    EXPECT_EQ(read.status, c.status) << c.what;
    EXPECT_EQ(read.text.size(), c.status == BoundedRead::Status::Ok ? c.fileBytes : 0u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, Bounded,
                         ::testing::Values(BoundedCase{"empty", 0, 10, BoundedRead::Status::Ok},
                                           BoundedCase{"at the cap", 10, 10, BoundedRead::Status::Ok},
                                           BoundedCase{"large", 100000, 200000, BoundedRead::Status::Ok},
                                           BoundedCase{"past the cap", 11, 10, BoundedRead::Status::TooLarge},
                                           BoundedCase{"a folder", SIZE_MAX, 10, BoundedRead::Status::NotRegular}));

TEST_F(FileInfoWin, MissingFileSaysWhy) {
    const BoundedRead read = readBoundedFile(dir_.text("none"), 10);
    EXPECT_EQ(read.status, BoundedRead::Status::OpenFailed);
    EXPECT_EQ(read.error, ENOENT);
}

TEST(EnvironmentWin, ReadsTheLiveEnvironment) {
    ::SetEnvironmentVariableW(L"SKIMMER_ENV_TEST", L"value set after start");
    EXPECT_EQ(environmentValue("SKIMMER_ENV_TEST"), "value set after start");
    ::SetEnvironmentVariableW(L"SKIMMER_ENV_TEST", L"");
    EXPECT_EQ(environmentValue("SKIMMER_ENV_TEST"), "");
    ::SetEnvironmentVariableW(L"SKIMMER_ENV_TEST", nullptr);
    EXPECT_FALSE(environmentValue("SKIMMER_ENV_TEST"));
    EXPECT_FALSE(environmentValue("A=B"));
}

}  // namespace
}  // namespace skimmer::os
