#include "os/locate_program.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

struct FolderCase {
    std::string folder;
    std::string program;
};

class LocateProgramIn : public ::testing::TestWithParam<FolderCase> {};

TEST_P(LocateProgramIn, OneBackslashBetweenFolderAndName) {
    EXPECT_EQ(locateProgramIn(GetParam().folder), GetParam().program);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, LocateProgramIn,
    ::testing::Values(FolderCase{"", "Locate.exe"},
                      FolderCase{R"(C:\Program Files\Locate32)", R"(C:\Program Files\Locate32\Locate.exe)"},
                      FolderCase{R"(C:\Program Files\Locate32\\)", R"(C:\Program Files\Locate32\Locate.exe)"},
                      FolderCase{"C:/Tools/", R"(C:/Tools\Locate.exe)"}, FolderCase{R"(C:\)", R"(C:\Locate.exe)"},
                      FolderCase{"C:", R"(C:\Locate.exe)"}, FolderCase{R"(\)", R"(\Locate.exe)"}));

TEST(LocateArgumentsOnWindows, TheWordsAloneAsTyped) {
    EXPECT_EQ(locateSearchArguments("Locate.exe", {"-r", "a&b"}), (std::vector<std::string>{"Locate.exe", "-r", "a&b"}));
    EXPECT_EQ(locateVersionArguments("Locate.exe"), (std::vector<std::string>{"Locate.exe", "/?"}));
}

}  // namespace
}  // namespace skimmer::os
