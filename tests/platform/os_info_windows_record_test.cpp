// The About box's system data built from a Windows version record, as the Windows build's system
// source gives it: product, edition and the 64-bit mark come from the record and the probe.
#include "platform/os_info.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace skimmer::platform {
namespace {

class RecordSource final : public os::SystemInfoSource {
public:
    explicit RecordSource(os::SystemInfo info) : info_(std::move(info)) {}
    os::SystemInfo query() const override { return info_; }

private:
    os::SystemInfo info_;
};

struct RecordCase {
    const char* what;
    os::WindowsVersion record;
    std::string machine;
    uint8_t product;
    std::string edition;
    bool is64;
};

class WindowsRecord : public ::testing::TestWithParam<RecordCase> {};

TEST_P(WindowsRecord, GivesTheAboutBoxItsAnswers) {
    const RecordCase& c = GetParam();
    os::SystemInfo system{.sysname = "Windows", .machine = c.machine, .is64Bit = os::machineIs64Bit(c.machine)};
    system.windows = c.record;
    const TOSInfo info = TOSInfo::fromSystem(RecordSource(system));
    EXPECT_EQ(info.Product(), c.product) << c.what;
    EXPECT_EQ(info.Edition(), c.edition) << c.what;
    EXPECT_EQ(info.Is64Bit(), c.is64) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Systems, WindowsRecord,
    ::testing::Values(
        RecordCase{"XP on 32 bits", {.platformId = 2, .major = 5, .minor = 1, .servicePack = "Service Pack 3"}, "x86", 6,
                   "Service Pack 3", false},
        RecordCase{"7 running a 32-bit module", {.platformId = 2, .major = 6, .minor = 1, .wow64 = os::Wow64Probe::Yes},
                   "x86_64", 8, "", true},
        RecordCase{"7 running a 64-bit module", {.platformId = 2, .major = 6, .minor = 1, .wow64 = os::Wow64Probe::No},
                   "x86_64", 8, "", true},
        RecordCase{"NT 4 with the hotfix",
                   {.platformId = 2, .major = 4, .servicePack = "Service Pack 6", .hotfixQ246009 = true}, "x86", 4,
                   "SP 6a", false},
        RecordCase{"98 SE", {.platformId = 1, .major = 4, .minor = 10, .servicePack = "A"}, "x86", 2, "SE", false}));

TEST(WindowsRecordProbe, AFailedProbeStillFailsTheSixtyFourBitQuestion) {
    os::SystemInfo system{.sysname = "Windows", .machine = "x86_64", .is64Bit = true};
    system.windows = os::WindowsVersion{.platformId = 2, .major = 6, .minor = 1, .wow64 = os::Wow64Probe::Failed};
    EXPECT_THROW(TOSInfo::fromSystem(RecordSource(system)).Is64Bit(), std::runtime_error);
}

}  // namespace
}  // namespace skimmer::platform
