#include "os/system_info.h"

#include <gtest/gtest.h>

#include "os/text_border.h"

namespace skimmer::os {
namespace {

TEST(SystemInfo, KnowsWhichMachinesAre64Bit) {
    for (const char* m : {"x86_64", "aarch64", "ppc64le", "riscv64", "s390x", "mips64", "loongarch64", "alpha"})
        EXPECT_TRUE(machineIs64Bit(m)) << m;
    for (const char* m : {"i686", "armv7l", "s390", "mips", ""}) EXPECT_FALSE(machineIs64Bit(m)) << m;
}

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
