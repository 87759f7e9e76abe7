// What the system says about itself under Windows: its version record, the native machine and
// the WOW64 probe, as the About box takes them.
#include "os/system_info.h"

#include <gtest/gtest.h>

#include <string>

namespace skimmer::os {
namespace {

TEST(SystemInfoWin, IsWindowsWithAVersionRecord) {
    const SystemInfo info = systemInfoSource().query();
    EXPECT_EQ(info.sysname, "Windows");
    ASSERT_TRUE(info.windows);
    EXPECT_EQ(info.windows->platformId, 2u) << "an NT system";
    EXPECT_GE(info.windows->major, 5u);
    EXPECT_EQ(info.release.rfind(std::to_string(info.windows->major) + "." + std::to_string(info.windows->minor) + ".",
                                 0),
              0u)
        << info.release;
    EXPECT_EQ(info.version, info.windows->servicePack);
}

TEST(SystemInfoWin, KnowsTheNativeMachineAndWhetherThisProcessIsEmulated) {
    const SystemInfo info = systemInfoSource().query();
    ASSERT_TRUE(info.windows);
    EXPECT_FALSE(info.machine.empty());
    EXPECT_EQ(info.is64Bit, machineIs64Bit(info.machine));
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(info.is64Bit) << "a 64-bit process runs on a 64-bit machine";
        EXPECT_EQ(info.windows->wow64, Wow64Probe::No) << "and natively";
    } else if (info.is64Bit) {
        EXPECT_EQ(info.windows->wow64, Wow64Probe::Yes) << "a 32-bit process on a 64-bit machine";
    }
}

}  // namespace
}  // namespace skimmer::os
