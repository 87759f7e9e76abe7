// The shipped English language file: FAR's format, one message for every number the code and the
// dialogs ask for, and the numbers no one asks for kept empty so that their slots stay in place.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "far/lng_format.h"
#include "lng/messages.h"
#include "tests/support/test_host.h"

namespace skimmer::test {
namespace {

farapi::LngFile shippedFile() {
    std::ifstream in(TestHost::defaultLngFile(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return farapi::parseLng(bytes.str());
}

TEST(LanguageFile, IsEnglishWithEveryMessageNumbered) {
    const farapi::LngFile file = shippedFile();
    EXPECT_TRUE(file.hasHeader);
    EXPECT_EQ(file.language, "English");
    EXPECT_TRUE(file.warnings.empty());
    ASSERT_EQ(file.messages.size(), static_cast<size_t>(lng::kMessageCount));
}

TEST(LanguageFile, OnlyTheUnusedNumbersAreEmpty) {
    const std::set<int> unused = {0, 2, 29, 74, 83, 85, 86, 87, 92, 102, 108};
    const farapi::LngFile file = shippedFile();
    for (int n = 0; n < static_cast<int>(file.messages.size()); ++n) {
        EXPECT_EQ(file.messages[n].empty(), unused.count(n) == 1) << "message " << n;
    }
}

TEST(LanguageFile, LabelsFollowedByAFieldEndInABlank) {
    // Dialogs place a field or the options right after these labels' text.
    const farapi::LngFile file = shippedFile();
    for (int n : {9, 13, 14, 18, 126, 127, 128, 129, 163, 164}) {
        ASSERT_FALSE(file.messages[n].empty());
        EXPECT_EQ(file.messages[n].back(), ' ') << "message " << n;
    }
}

TEST(LanguageFile, TitlesJoinedToTheProductNameStartWithABlank) {
    // "Skimmer" + message 38 + message 39 is the frame title of the settings dialogs.
    const farapi::LngFile file = shippedFile();
    EXPECT_EQ(file.messages[38].front(), ' ');
}

}  // namespace
}  // namespace skimmer::test
