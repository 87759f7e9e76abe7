#include "os/locate_program.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

struct FolderCase {
    std::string folder;
    std::string program;
};

class LocateProgramIn : public ::testing::TestWithParam<FolderCase> {};

TEST_P(LocateProgramIn, OneSlashBetweenFolderAndName) { EXPECT_EQ(locateProgramIn(GetParam().folder), GetParam().program); }

INSTANTIATE_TEST_SUITE_P(Folders, LocateProgramIn,
                         ::testing::Values(FolderCase{"", "locate"}, FolderCase{"/usr/bin", "/usr/bin/locate"},
                                           FolderCase{"/usr/bin//", "/usr/bin/locate"}, FolderCase{"/", "/locate"},
                                           FolderCase{"rel", "rel/locate"}));

TEST(LocateArgumentsOnLinux, CaseFoldedAndNoWordIsAnOption) {
    EXPECT_EQ(locateSearchArguments("locate", {"-r", "a b"}),
              (std::vector<std::string>{"locate", "-i", "--", "-r", "a b"}));
    EXPECT_EQ(locateVersionArguments("/x/locate"), (std::vector<std::string>{"/x/locate", "--version"}));
    // The limited search: the same options and words, the limit before the "--" that ends them.
    EXPECT_EQ(locateFirstHitsArguments("locate", {"-l", "a b"}, 5),
              (std::vector<std::string>{"locate", "-i", "-l", "5", "--", "-l", "a b"}));
}

}  // namespace
}  // namespace skimmer::os
