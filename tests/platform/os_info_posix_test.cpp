// The system the Linux build runs on, as the About box reports it: Linux, with the kernel's release.
#include <gtest/gtest.h>

#include "os/system_info.h"
#include "platform/os_info.h"

namespace skimmer::platform {
namespace {

TEST(TOSInfo, CurrentSystemIsLinuxWithItsKernelRelease) {
    const TOSInfo info = TOSInfo::current();
    EXPECT_EQ(info.Product(), kProductLinux);
    EXPECT_EQ(info.Edition(), os::systemInfoSource().query().release);
    EXPECT_FALSE(info.IsWow64());
}

}  // namespace
}  // namespace skimmer::platform
