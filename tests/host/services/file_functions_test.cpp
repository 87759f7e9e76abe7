// The service table's file-system slots and the editor's change stamp, on the real file system of
// whichever system runs the tests (Linux, or Windows under Wine): temporary names, hard links and
// their count, the recursive search with a mask, real names, owners.
#include "host/services/file_functions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "host/services/file_stamp.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::services {
namespace {

namespace fs = std::filesystem;

FarStandardFunctions fileSlots() {
    FarStandardFunctions f{};
    fillFileFunctions(f);
    return f;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(FileFunctions, MkTempNamesAFreshFileInTheTemporaryFolder) {
    test::TempHome home;
    const FarStandardFunctions f = fileSlots();
    char first[FAR_MAX_PATH], second[FAR_MAX_PATH];
    ASSERT_EQ(f.MkTemp(first, "SKM"), first);
    writeFile(first, "taken");
    ASSERT_EQ(f.MkTemp(second, "SKM"), second);
    EXPECT_STRNE(first, second);
    EXPECT_FALSE(fs::exists(second)) << second;
    std::string folder = fs::temp_directory_path().string();
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    EXPECT_EQ(fs::path(second).parent_path().string(), folder) << second;
    EXPECT_EQ(fs::path(second).filename().string().rfind("SKM", 0), 0u) << second;
}

TEST(FileFunctions, AHardLinkCountsTwiceAndAMissingFileOnce) {
    test::TempHome home;
    const FarStandardFunctions f = fileSlots();
    const fs::path file = home.data() / "original.txt", link = home.data() / "second name.txt";
    writeFile(file, "shared bytes");
    EXPECT_EQ(f.GetNumberOfLinks(file.string().c_str()), 1);
    ASSERT_TRUE(f.MkLink(file.string().c_str(), link.string().c_str(), FLINK_HARDLINK));
    EXPECT_EQ(f.GetNumberOfLinks(file.string().c_str()), 2);
    EXPECT_EQ(f.GetNumberOfLinks((home.data() / "missing").string().c_str()), 1);
    EXPECT_FALSE(f.MkLink(file.string().c_str(), link.string().c_str(), FLINK_HARDLINK)) << "the name is taken";
}

struct SearchCase {
    const char* name;
    DWORD flags;
    std::set<std::string> found;
};

class RecursiveSearch : public ::testing::TestWithParam<SearchCase> {};

// FAR's callback convention (stdcall on 32-bit Windows), so a plain function, not a lambda.
int FARAPI collectFound(const WIN32_FIND_DATAA* data, const char* full, void* param) {
    auto* seen = static_cast<std::set<std::string>*>(param);
    seen->insert(std::string(data->cFileName) + "=" + std::to_string(data->nFileSizeLow));
    return std::strstr(full, data->cFileName) != nullptr;  // the full path ends with the name
}

TEST_P(RecursiveSearch, ReportsEveryNameTheMaskMatches) {
    test::TempHome home;
    const fs::path top = home.data() / "tree";
    writeFile(top / "a.txt", "1");
    writeFile(top / "b.log", "22");
    writeFile(top / "sub" / "c.txt", "333");
    const FarStandardFunctions f = fileSlots();
    std::set<std::string> found;
    f.FarRecursiveSearch(top.string().c_str(), "*.txt", collectFound, GetParam().flags, &found);
    EXPECT_EQ(found, GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Flags, RecursiveSearch,
                         ::testing::Values(SearchCase{"top_only", 0, {"a.txt=1"}},
                                           SearchCase{"recursive", FRS_RECUR, {"a.txt=1", "c.txt=3"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileFunctions, ConvertNameToRealAnswersTheNeededSizeAndAnAbsolutePath) {
    test::TempHome home;
    const FarStandardFunctions f = fileSlots();
    const fs::path file = home.data() / "real.txt";
    writeFile(file, "x");
    const std::string name = file.string();
    const int needed = f.ConvertNameToReal(name.c_str(), nullptr, 0);
    ASSERT_GT(needed, 1);
    std::string real(static_cast<size_t>(needed), '\0');
    ASSERT_EQ(f.ConvertNameToReal(name.c_str(), real.data(), needed), needed);
    real.resize(static_cast<size_t>(needed) - 1);
    EXPECT_TRUE(fs::path(real).is_absolute()) << real;
    EXPECT_TRUE(fs::equivalent(real, file)) << real;
}

TEST(FileFunctions, AnExistingFileHasAnOwnerAndAMissingOneNone) {
    test::TempHome home;
    const FarStandardFunctions f = fileSlots();
    const fs::path file = home.data() / "owned.txt";
    writeFile(file, "x");
    char owner[FAR_MAX_PATH] = "";
    ASSERT_TRUE(f.GetFileOwner(nullptr, file.string().c_str(), owner));
    EXPECT_STRNE(owner, "");
    EXPECT_FALSE(f.GetFileOwner(nullptr, (home.data() / "missing").string().c_str(), owner));
}

TEST(FileStamp, StaysForAnUntouchedFileAndChangesWithItsBytes) {
    test::TempHome home;
    const fs::path file = home.data() / "edited.txt";
    EXPECT_EQ(fileStamp(file.string()), "");
    writeFile(file, "before");
    const std::string before = fileStamp(file.string());
    EXPECT_NE(before, "");
    EXPECT_EQ(fileStamp(file.string()), before);
    writeFile(file, "after, longer");
    EXPECT_NE(fileStamp(file.string()), before);
}

}  // namespace
}  // namespace skimmer::host::services
