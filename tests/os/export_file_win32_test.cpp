// The panel's whole-file writes and entry questions against Windows' own file system: attribute
// bits, all three times kept, no replacement without permission, devices never read.
#include "os/export_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <string>

#include "os/clock.h"
#include "tests/os/scratch_folder.h"

namespace skimmer::os {
namespace {

constexpr uint64_t kDay = 864'000'000'000ULL;  // FILETIME ticks

class ExportFile : public ::testing::Test {
protected:
    FileSystem& fs_ = realFileSystem();
    test::ScratchFolder dir_;
    std::string error_;

    void setAttribute(const std::string& name, DWORD bit) {
        const std::wstring path = (dir_.path() / name).wstring();
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), ::GetFileAttributesW(path.c_str()) | bit));
    }
};

struct AttributeCase {
    const char* what;
    DWORD bits;
    bool hidden;
    bool readOnly;
};

class EntryAttributes : public ExportFile, public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(EntryAttributes, AreTheSystemsBits) {
    const AttributeCase& c = GetParam();
    dir_.write("f", "12345");
    if (c.bits) setAttribute("f", c.bits);
    const auto entry = findEntry(dir_.text("f"));
    ASSERT_TRUE(entry) << c.what;
    EXPECT_EQ(entry->hidden, c.hidden) << c.what;
    EXPECT_EQ(entry->readOnly, c.readOnly) << c.what;
    EXPECT_FALSE(entry->directory);
    EXPECT_EQ(entry->size, 5u);
}

INSTANTIATE_TEST_SUITE_P(Bits, EntryAttributes,
                         ::testing::Values(AttributeCase{"plain", 0, false, false},
                                           AttributeCase{"hidden", FILE_ATTRIBUTE_HIDDEN, true, false},
                                           AttributeCase{"read-only", FILE_ATTRIBUTE_READONLY, false, true},
                                           AttributeCase{"both", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY,
                                                         true, true}));

TEST_F(ExportFile, FoldersAndMissingEntries) {
    ASSERT_EQ(makeFolder(fs_, dir_.text("sub"), error_), 0) << error_;
    EXPECT_EQ(makeFolder(fs_, dir_.text("sub"), error_), 0) << "an existing folder is fine";
    dir_.write("file", "");
    EXPECT_EQ(makeFolder(fs_, dir_.text("file"), error_), EEXIST);
    EXPECT_NE(error_.find("file"), std::string::npos) << error_;
    const auto folder = findEntry(dir_.text("sub"));
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->directory);
    EXPECT_FALSE(findEntry(dir_.text("none")));
    std::vector<std::string> names;
    ASSERT_EQ(listFolder(fs_, dir_.path().string(), names, error_), 0);
    EXPECT_EQ(names.size(), 2u);
}

// Whether the file system under the test keeps a creation time that is set: NTFS does; Wine on a
// Linux file system answers the write time instead, whatever was set.
bool keepsCreationTimes(const std::filesystem::path& file) {
    const HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const FILETIME created{0, 0x01D00000}, modified{0, 0x01D40000};
    ::SetFileTime(h, &created, nullptr, &modified);
    ::CloseHandle(h);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) &&
           data.ftCreationTime.dwHighDateTime == created.dwHighDateTime;
}

TEST_F(ExportFile, WrittenFileCarriesItsTimes) {
    const uint64_t now = fileTimeNow();
    const EntryTimes times{now - 30 * kDay, now - 2 * kDay, now - 10 * kDay};
    ASSERT_EQ(writeWholeFile(fs_, dir_.text("out.skvfinder"), "contents", &times, false, error_), 0) << error_;
    const auto entry = findEntry(dir_.text("out.skvfinder"));  // before any read moves the access time
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->times.modified, times.modified);
    EXPECT_EQ(entry->times.accessed, times.accessed);
    dir_.write("probe", "");
    if (keepsCreationTimes(dir_.path() / "probe")) {
        EXPECT_EQ(entry->times.created, times.created);
    }
    EXPECT_EQ(dir_.read("out.skvfinder"), "contents");
}

TEST_F(ExportFile, CopyKeepsTheSourcesTimesAndBytes) {
    const uint64_t now = fileTimeNow();
    const EntryTimes times{now - 300 * kDay, now - 20 * kDay, now - 100 * kDay};
    ASSERT_EQ(writeWholeFile(fs_, dir_.text("source"), std::string("a\r\n\0b", 5), &times, false, error_), 0);
    ASSERT_EQ(copyWholeFile(fs_, dir_.text("source"), dir_.text("copy"), false, error_), 0) << error_;
    const auto copied = findEntry(dir_.text("copy"));
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->times.modified, times.modified);
    dir_.write("probe", "");
    if (keepsCreationTimes(dir_.path() / "probe")) {
        EXPECT_EQ(copied->times.created, times.created);
    }
    EXPECT_EQ(dir_.read("copy"), std::string("a\r\n\0b", 5));
}

struct ReplaceCase {
    bool replace;
    int error;
    const char* left;
};

class ExistingTarget : public ExportFile, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ExistingTarget, IsReplacedOnlyWhenAsked) {
    const ReplaceCase& c = GetParam();
    dir_.write("source", "new");
    for (bool copy : {false, true}) {
        dir_.write("target", "old");
        const int err = copy ? copyWholeFile(fs_, dir_.text("source"), dir_.text("target"), c.replace, error_)
                             : writeWholeFile(fs_, dir_.text("target"), "new", nullptr, c.replace, error_);
        EXPECT_EQ(err, c.error) << (copy ? "copy" : "write");
        EXPECT_EQ(dir_.read("target"), c.left);
    }
    std::vector<std::string> names;
    ASSERT_EQ(listFolder(fs_, dir_.path().string(), names, error_), 0);
    EXPECT_EQ(names.size(), 2u) << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(Choices, ExistingTarget,
                         ::testing::Values(ReplaceCase{false, EEXIST, "old"}, ReplaceCase{true, 0, "new"}));

TEST_F(ExportFile, ReplacesATargetThatIsOpenForReading) {
    dir_.write("target", "old");
    int fd = -1;
    ASSERT_EQ(fs_.open(dir_.text("target"), 0, 0, fd), 0);
    const FileHandle reader(fs_, fd);
    EXPECT_EQ(writeWholeFile(fs_, dir_.text("target"), "new", nullptr, true, error_), 0) << error_;
    EXPECT_EQ(dir_.read("target"), "new");
}

class DeviceSource : public ExportFile, public ::testing::WithParamInterface<const char*> {};

TEST_P(DeviceSource, IsRefusedBeforeAnyOpen) {
    EXPECT_EQ(copyWholeFile(fs_, GetParam(), dir_.text("copy"), false, error_), EINVAL);
    EXPECT_NE(error_.find("not a regular file"), std::string::npos) << error_;
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "copy"));
}

INSTANTIATE_TEST_SUITE_P(Names, DeviceSource, ::testing::Values("NUL", "con", "C:\\some\\folder\\aux.txt", "COM1",
                                                                "\\\\.\\COM1", "CONOUT$"));

TEST_F(ExportFile, AFolderIsNoSourceToCopy) {
    ASSERT_EQ(makeFolder(fs_, dir_.text("sub"), error_), 0);
    EXPECT_EQ(copyWholeFile(fs_, dir_.text("sub"), dir_.text("copy"), false, error_), EINVAL);
}

TEST(EndsEveryWrite, OnlyForAFullFailingOrReadOnlyDisk) {
    for (int err : {ENOSPC, EIO, EROFS}) EXPECT_TRUE(endsEveryWrite(err)) << err;
    for (int err : {0, EEXIST, EACCES, ENOENT, EINVAL}) EXPECT_FALSE(endsEveryWrite(err)) << err;
}

}  // namespace
}  // namespace skimmer::os
