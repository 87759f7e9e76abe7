#include "os/system_info.h"

#include <gtest/gtest.h>


namespace skimmer::os {
namespace {

TEST(SystemInfo, KnowsWhichMachinesAre64Bit) {
    for (const char* m : {"x86_64", "aarch64", "ppc64le", "riscv64", "s390x", "mips64", "loongarch64", "alpha"})
        EXPECT_TRUE(machineIs64Bit(m)) << m;
    for (const char* m : {"i686", "armv7l", "s390", "mips", ""}) EXPECT_FALSE(machineIs64Bit(m)) << m;
}

}  // namespace
}  // namespace skimmer::os
