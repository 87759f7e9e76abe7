#include <gtest/gtest.h>

#include <stdexcept>

#include "os/system_info.h"
#include "platform/os_info.h"

namespace skimmer::platform {
namespace {

TOSInfo windows(uint32_t platform, uint32_t major, uint32_t minor, std::string sp = "", bool hotfix = false,
                Wow64Probe wow = Wow64Probe::Unavailable) {
    return TOSInfo({platform, major, minor, std::move(sp), hotfix, wow});
}

TEST(TOSInfo, ProductTable) {
    struct Row {
        uint32_t platform, major, minor;
        uint8_t code;
    };
    const Row rows[] = {
        {1, 4, 0, 1},  {1, 4, 10, 2}, {1, 4, 90, 3}, {1, 4, 5, 0},  {1, 5, 0, 0},  {2, 4, 0, 4},
        {2, 4, 1, 0},  {2, 5, 0, 5},  {2, 5, 1, 6},  {2, 5, 2, 7},  {2, 5, 3, 0},  {2, 6, 0, 8},
        {2, 6, 1, 8},  {2, 10, 0, 0}, {0, 4, 0, 0},  {3, 5, 0, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(windows(row.platform, row.major, row.minor).Product(), row.code)
            << row.platform << " " << row.major << "." << row.minor;
    }
    EXPECT_EQ(TOSInfo::ProductName(8), "Windows Vista");
    EXPECT_EQ(TOSInfo::ProductName(7), "W. Server 2003");
    EXPECT_EQ(TOSInfo::ProductName(9), "Linux");
    EXPECT_EQ(TOSInfo::ProductName(127), "Unknown");
}

TEST(TOSInfo, Windows9xEditions) {
    EXPECT_EQ(windows(1, 4, 0, "").Edition(), "");
    EXPECT_EQ(windows(1, 4, 0, "B").Edition(), "OSR2");
    EXPECT_EQ(windows(1, 4, 0, "c").Edition(), "OSR2");
    EXPECT_EQ(windows(1, 4, 0, "A").Edition(), "");
    EXPECT_EQ(windows(1, 4, 10, "A").Edition(), "SE");
    EXPECT_EQ(windows(1, 4, 10, "a").Edition(), "SE");
    EXPECT_EQ(windows(1, 4, 10, " A").Edition(), "");  // a blank before the letter
    EXPECT_EQ(windows(1, 4, 90, "A").Edition(), "");
    EXPECT_TRUE(windows(1, 4, 90).IsWin9x());
    EXPECT_FALSE(windows(1, 4, 90).IsWinNT());
}

TEST(TOSInfo, NTServicePackAndSP6a) {
    EXPECT_EQ(windows(2, 4, 0, "Service Pack 6").Edition(), "Service Pack 6");
    EXPECT_FALSE(windows(2, 4, 0, "Service Pack 6").IsNT4SP6a());
    EXPECT_EQ(windows(2, 4, 0, "service pack 6", true).Edition(), "SP 6a");
    EXPECT_FALSE(windows(2, 5, 0, "Service Pack 6", true).IsNT4SP6a());  // only NT 4
    EXPECT_EQ(windows(2, 5, 1, "Service Pack 2").Edition(), "Service Pack 2");
    EXPECT_TRUE(windows(2, 5, 1).IsWinNT());
}

TEST(TOSInfo, Wow64Probe) {
    EXPECT_FALSE(windows(2, 5, 1, "", false, Wow64Probe::Unavailable).IsWow64());
    EXPECT_FALSE(windows(2, 5, 1, "", false, Wow64Probe::No).IsWow64());
    EXPECT_TRUE(windows(2, 5, 1, "", false, Wow64Probe::Yes).IsWow64());
    try {
        (void)windows(2, 5, 1, "", false, Wow64Probe::Failed).IsWow64();
        FAIL() << "a failed probe must raise";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Bad process handle");
    }
}

TEST(TOSInfo, LinuxIsCodeNineWithKernelReleaseAsEdition) {
    const TOSInfo info(linuxVersionData("6.1.0-18-amd64"));
    EXPECT_EQ(info.Product(), kProductLinux);
    EXPECT_EQ(info.Edition(), "6.1.0-18-amd64");
    EXPECT_FALSE(info.IsWin9x());
    EXPECT_FALSE(info.IsWinNT());
    EXPECT_FALSE(info.IsNT4SP6a());
    EXPECT_FALSE(info.IsWow64());
    const OSVersionData data = linuxVersionData("6.1.0-18-amd64");
    EXPECT_EQ(data.major, 6u);
    EXPECT_EQ(data.minor, 1u);
    EXPECT_EQ(linuxVersionData("garbage").major, 0u);
}

}  // namespace
}  // namespace skimmer::platform

namespace skimmer::platform {
namespace {

// A uname that answers what the test says.
class FakeUname final : public os::SystemInfoSource {
public:
    explicit FakeUname(os::SystemInfo info) : info_(std::move(info)) {}
    os::SystemInfo query() const override { return info_; }

private:
    os::SystemInfo info_;
};

struct MachineCase {
    std::string machine;
    std::string release;
    bool is64;
};

class TOSInfoMachine : public ::testing::TestWithParam<MachineCase> {};

TEST_P(TOSInfoMachine, SixtyFourBitMarkComesFromTheMachineAndTheReleaseStaysWhole) {
    const MachineCase& c = GetParam();
    const TOSInfo info = TOSInfo::fromSystem(
        FakeUname({.sysname = "Linux", .release = c.release, .version = "#1 SMP", .machine = c.machine,
                   .is64Bit = os::machineIs64Bit(c.machine)}));
    EXPECT_EQ(info.Is64Bit(), c.is64);
    EXPECT_FALSE(info.IsWow64()) << "a Linux process never runs under WOW64";
    EXPECT_EQ(info.Product(), kProductLinux);
    EXPECT_EQ(info.Edition(), c.release);
}

INSTANTIATE_TEST_SUITE_P(Uname, TOSInfoMachine, ::testing::Values(
    MachineCase{"x86_64", "6.1.0-28-cloud-amd64", true},
    MachineCase{"aarch64", "6.1.0-18-arm64", true},
    MachineCase{"s390x", "5.10.0-26-s390x", true},
    MachineCase{"i686", "6.1.0-18-686-pae", false},
    MachineCase{"armv7l", "6.1.0-0.deb11.17-armmp-lpae", false},
    MachineCase{"", "", false}));

TEST(TOSInfo, WindowsIsSixtyFourBitExactlyWhenItRunsThePlugInUnderWow64) {
    for (auto [probe, expected] : {std::pair{Wow64Probe::Unavailable, false}, std::pair{Wow64Probe::No, false},
                                   std::pair{Wow64Probe::Yes, true}})
        EXPECT_EQ(TOSInfo(OSVersionData{.platformId = kPlatformWinNT, .major = 5, .minor = 1, .wow64 = probe}).Is64Bit(),
                  expected);
}

}  // namespace
}  // namespace skimmer::platform
