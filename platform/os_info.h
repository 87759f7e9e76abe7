// What the About box says about the operating system: product code, edition text, WOW64.
//
// Contract: TOSInfo answers from the version data it was given (platform, version, service-pack
// text, hotfix presence, WOW64 probe), so every rule can be tested with any system's data;
// `TOSInfo::current()` takes the data of the running system (`fromSystem` the data of any uname
// source). Codes 0 to 8 name Windows products; code 9 is Linux, whose edition is the kernel
// release and whose 64-bit mark is the machine's. Nothing here touches the screen.
#pragma once

#include <cstdint>
#include <string>

#include "os/system_info.h"

namespace skimmer::platform {

// Platform identifiers: Windows' own numbers, and one of ours for Linux.
constexpr uint32_t kPlatformWin9x = 1;
constexpr uint32_t kPlatformWinNT = 2;
constexpr uint32_t kPlatformLinux = 100;

constexpr uint8_t kProductLinux = 9;

// The answer of the system's WOW64 probe: missing (a 32-bit system, or not Windows), failed, or
// a definite answer.
using Wow64Probe = os::Wow64Probe;

struct OSVersionData {
    uint32_t platformId = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
    std::string servicePack;      // Windows: CSD text; Linux: the kernel release
    bool hotfixQ246009 = false;   // Windows NT 4: the SP6a hotfix key exists
    Wow64Probe wow64 = Wow64Probe::Unavailable;
    bool machine64 = false;       // the native machine is a 64-bit architecture (uname's, Windows' own)
};

class TOSInfo {
public:
    explicit TOSInfo(OSVersionData data) : data_(std::move(data)) {}
    // The running system's data. On Windows: its version record and WOW64 probe, the native
    // machine as the 64-bit mark. On Linux: uname's release as version and edition, its machine
    // as the 64-bit mark; no WOW64.
    static TOSInfo current();
    static TOSInfo fromSystem(const os::SystemInfoSource& source);

    bool IsWin9x() const;
    bool IsWinNT() const;
    uint8_t Product() const;
    bool IsNT4SP6a() const;
    std::string Edition() const;
    // Windows: the probe's answer; a failed probe throws std::runtime_error("Bad process handle").
    // Linux: always false — a 64-bit process there runs natively, never under emulation.
    bool IsWow64() const;
    // Whether the system is 64-bit. Windows: the WOW64 answer (a 32-bit module on a 64-bit Windows
    // runs under WOW64; a failed probe throws as IsWow64 does), or else the native machine's width
    // (a 64-bit module runs natively). Linux: the machine uname names, whatever the process's own
    // width.
    bool Is64Bit() const;

    // "Unknown", "Windows 95" … "Windows Vista", "Linux"; codes past 9 give "Unknown".
    static std::string ProductName(uint8_t code);

private:
    OSVersionData data_;
};

// Reads "major.minor" from the front of a kernel release such as "6.1.0-18-amd64".
OSVersionData linuxVersionData(const std::string& kernelRelease);
// The same from all uname says: the release as above, the machine as the 64-bit mark.
OSVersionData linuxVersionData(const os::SystemInfo& system);
// Windows' version record as it stands, the native machine as the 64-bit mark.
OSVersionData windowsVersionData(const os::WindowsVersion& version, bool machine64);
// Whichever of the two the system's answer is.
OSVersionData versionDataOf(const os::SystemInfo& system);

}  // namespace skimmer::platform
