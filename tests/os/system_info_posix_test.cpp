// What uname answers and the identity code-page borders: the Linux side of the system services.
#include "os/system_info.h"

#include <gtest/gtest.h>

#include "os/text_border.h"

namespace skimmer::os {
namespace {

TEST(SystemInfo, UnameFillsEveryField) {
    const SystemInfo info = systemInfoSource().query();
    EXPECT_EQ(info.sysname, "Linux");
    EXPECT_FALSE(info.release.empty());
    EXPECT_FALSE(info.machine.empty());
    EXPECT_EQ(info.is64Bit, machineIs64Bit(info.machine));
}

TEST(TextBorder, IsAnIdentityOnEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    EXPECT_EQ(oemToAnsi(all), all);
    EXPECT_EQ(ansiToOem(all), all);
    std::string buffer = all;
    oemToAnsi(all.c_str(), buffer.data());
    ansiToOem(buffer.c_str(), buffer.data());
    EXPECT_EQ(buffer, all);
}

}  // namespace
}  // namespace skimmer::os
