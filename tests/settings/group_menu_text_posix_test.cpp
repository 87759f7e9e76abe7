// On Linux a name's letter may take several bytes: the group menu's name column counts cells.
#include <gtest/gtest.h>

#include "settings/group_editor.h"

namespace skimmer::settings {
namespace {

TEST(GroupMenuText, CountsAMultiByteNameInCells) {
    EXPECT_EQ(GroupMenuText({.Name = "Ünïcödé", .Kind = "", .Ext = "", .Max = 0}),
              "Ünïcödé" + std::string(13, ' ') + " \u2502\"\"" + std::string(38, ' '));
}

}  // namespace
}  // namespace skimmer::settings
