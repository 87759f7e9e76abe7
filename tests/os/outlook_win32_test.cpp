// The mail client through automation, where it is absent (Wine has none): every call gives a reason
// that names the mail client and the system's answer, never a crash, a hang or a made-up item.
#include "os/outlook.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

namespace skimmer::os {
namespace {

constexpr const char* kEntryId = "00000000A1B2C3D4E5F60718293A4B5C6D7E8F9012345678";
static_assert(std::char_traits<char>::length(kEntryId) == 48, "an entry id is 48 hexadecimal digits");

// Outlook.Application is not registered in a Wine prefix: that is what these tests stand on.
void expectClientMissing(const std::string& error) {
    EXPECT_NE(error.find("mail client"), std::string::npos) << error;
    EXPECT_NE(error.find("Outlook.Application"), std::string::npos) << error;
    EXPECT_NE(error.find("0x"), std::string::npos) << "the system's code is given: " << error;
}

TEST(OutlookAbsent, DisplaySaysTheClientCannotBeReached) { expectClientMissing(outlookDisplay(kEntryId)); }

TEST(OutlookAbsent, NoFactsAndNoBodyAreMadeUp) {
    std::string error;
    EXPECT_FALSE(outlookItemFacts(kEntryId, error));
    expectClientMissing(error);
    error.clear();
    EXPECT_FALSE(outlookItemBody(kEntryId, error));
    expectClientMissing(error);
}

TEST(OutlookAbsent, EveryCallBalancesItsOwnComScope) {
    // A thousand calls from one thread: each must undo its initialisation, or the apartment's
    // count would show it (and a real client would be kept alive by leaked references).
    for (int i = 0; i < 1000; ++i) ASSERT_FALSE(outlookDisplay(kEntryId).empty());
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "no apartment is left behind";
    CoUninitialize();
}

}  // namespace
}  // namespace skimmer::os
