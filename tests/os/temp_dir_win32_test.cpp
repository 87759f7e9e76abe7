// The private temporary folder against Windows' own file system: fresh names, exclusive entries,
// replacement while a reader holds the file, and reclaiming what a killed process left behind.
#include "os/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "os/file_system.h"
#include "tests/os/scratch_folder.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

// Set in the environment of the child process that makes a folder and is then killed.
constexpr const wchar_t* kChildParent = L"SKIMMER_TEMP_DIR_CHILD_PARENT";

class TempDirWin : public ::testing::Test {
protected:
    test::ScratchFolder parent_;
    std::string error_;

    std::unique_ptr<TempDir> make(const char* stamp, bool reclaimable = false) {
        auto dir = reclaimable ? TempDir::createReclaimable("skimmer", stamp, error_, parent_.path())
                               : TempDir::create("skimmer", stamp, error_, parent_.path());
        EXPECT_TRUE(dir) << error_;
        return dir;
    }
};

TEST_F(TempDirWin, TakesAFreshNameBesideOneInUse) {
    auto first = make("42");
    auto second = make("42");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->path(), parent_.path() / "skimmer.42");
    EXPECT_EQ(second->path(), parent_.path() / "skimmer.42.1");
    EXPECT_EQ(second->pathTextOf("list"), (parent_.path() / "skimmer.42.1" / "list").string());
    parent_.write("skimmer.43", "a file where the folder would go");
    auto third = make("43");
    ASSERT_TRUE(third);
    EXPECT_EQ(third->path(), parent_.path() / "skimmer.43.1");
}

TEST_F(TempDirWin, EntriesAreNewPlainNamesOnly) {
    auto dir = make("9");
    ASSERT_TRUE(dir);
    EXPECT_TRUE(dir->createFile("ours", error_).valid()) << error_;
    EXPECT_FALSE(dir->createFile("ours", error_).valid()) << "exclusive";
    for (const char* name : {"..\\escape", "../escape", "c:escape", "a\\b", "", ".."})
        EXPECT_FALSE(dir->createFile(name, error_).valid()) << name;
    EXPECT_FALSE(fs::exists(parent_.path() / "escape"));
}

TEST_F(TempDirWin, TheFolderCannotBeRemovedFromUnderItsOwner) {
    auto dir = make("held");
    ASSERT_TRUE(dir);
    const fs::path moved = parent_.path() / "moved";
    EXPECT_FALSE(::MoveFileW(dir->path().c_str(), moved.c_str()));
    EXPECT_TRUE(fs::is_directory(dir->path()));
}

TEST_F(TempDirWin, ReplaceFileSwapsContentsWhileAReaderHoldsTheOldOnes) {
    auto dir = make("r");
    ASSERT_TRUE(dir);
    ASSERT_TRUE(dir->replaceFile("list", "first", error_)) << error_;
    int fd = -1;
    ASSERT_EQ(realFileSystem().open(dir->pathTextOf("list"), O_RDONLY, 0, fd), 0);
    const FileHandle reader(realFileSystem(), fd);
    ASSERT_TRUE(dir->replaceFile("list", "second, longer", error_)) << error_;
    std::string held, now;
    bool tooLarge = false;
    ASSERT_EQ(readAll(realFileSystem(), reader.get(), held, 1024, tooLarge), 0);
    EXPECT_EQ(held, "first");
    std::ifstream in(dir->pathOf("list"), std::ios::binary);
    std::getline(in, now);
    EXPECT_EQ(now, "second, longer");
    EXPECT_FALSE(fs::exists(dir->pathOf("list.new")));
}

TEST_F(TempDirWin, RemovesOnlyWhatItCreatedOrAdopted) {
    auto dir = make("d", true);
    ASSERT_TRUE(dir);
    ASSERT_TRUE(dir->createFile("ours", error_).valid());
    std::ofstream(dir->pathOf("adopted")) << "x";
    ASSERT_TRUE(dir->adopt("adopted", error_));
    std::ofstream(dir->pathOf("foreign")) << "y";
    EXPECT_FALSE(dir->remove(error_));
    EXPECT_NE(error_.find("skimmer.d"), std::string::npos) << error_;
    EXPECT_TRUE(fs::exists(dir->pathOf("foreign")));
    EXPECT_FALSE(fs::exists(dir->pathOf("adopted")));
    EXPECT_EQ(TempDir::reclaimStale("skimmer", parent_.path()), 0u) << "its owner still lives";
    fs::remove(dir->pathOf("foreign"));
    EXPECT_TRUE(dir->remove(error_)) << error_;
    EXPECT_FALSE(fs::exists(dir->path()));
}

TEST_F(TempDirWin, DestructorRemovesTheFolder) {
    fs::path path;
    {
        auto dir = make("gone", true);
        ASSERT_TRUE(dir);
        path = dir->path();
        ASSERT_TRUE(dir->createFile("f", error_).valid());
    }
    EXPECT_FALSE(fs::exists(path));
}

// Runs only as the child of the test below: makes its folder and is killed, so nothing of ours
// gets to clean up.
TEST(TempDirOwnerChild, MakesAFolderAndIsKilled) {
    wchar_t parent[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(kChildParent, parent, MAX_PATH) == 0) GTEST_SKIP() << "run by the test below";
    std::string error;
    auto dir = TempDir::createReclaimable("skimmer", "77", error, fs::path(parent));
    ASSERT_TRUE(dir) << error;
    ASSERT_TRUE(dir->replaceFile("payload", "left behind", error)) << error;
    ::TerminateProcess(::GetCurrentProcess(), 9);
}

DWORD runChild(const fs::path& parent) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=TempDirOwnerChild.*";
    ::SetEnvironmentVariableW(kChildParent, parent.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    const BOOL started = ::CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                          &child);
    ::SetEnvironmentVariableW(kChildParent, nullptr);
    if (!started) return ~DWORD{0};
    ::WaitForSingleObject(child.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(child.hProcess, &code);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    return code;
}

TEST_F(TempDirWin, AFolderWhoseOwnerWasKilledIsReclaimed) {
    ASSERT_EQ(runChild(parent_.path()), 9u) << "the child makes its folder, then is killed";
    const fs::path left = parent_.path() / "skimmer.77";
    ASSERT_TRUE(fs::exists(left / ".owner"));
    ASSERT_TRUE(fs::exists(left / "payload"));
    auto living = make("78", true);
    fs::create_directory(parent_.path() / "skimmer.79");  // no owner mark: being made right now
    fs::create_directory(parent_.path() / "skimmer.x1");  // not a name we give out
    parent_.write("skimmer.80", "a file");

    EXPECT_EQ(TempDir::reclaimStale("skimmer", parent_.path()), 1u);

    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(living->path() / ".owner"));
    EXPECT_TRUE(fs::exists(parent_.path() / "skimmer.79"));
    EXPECT_TRUE(fs::exists(parent_.path() / "skimmer.x1"));
    EXPECT_TRUE(fs::exists(parent_.path() / "skimmer.80"));
}

TEST_F(TempDirWin, ReclaimingNeverFollowsALinkOut) {
    const fs::path stale = parent_.path() / "skimmer.5";
    fs::create_directory(stale);
    std::ofstream(stale / ".owner") << "";
    const fs::path outside = parent_.path() / "outside";
    fs::create_directory(outside);
    std::ofstream(outside / "keep.txt") << "keep";
    if (!::CreateSymbolicLinkW((stale / "link").c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "this system makes no folder links here";
    EXPECT_EQ(TempDir::reclaimStale("skimmer", parent_.path()), 1u);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

}  // namespace
}  // namespace skimmer::os
