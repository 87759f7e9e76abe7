// What the operating system says about itself (uname; on Windows its version record and the
// WOW64 probe), behind an interface so that tests can present any system. Contract: query() never
// fails loudly; fields it cannot learn stay empty and `is64Bit` false; `windows` is present exactly
// when the running system is Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::os {

// The answer of the WOW64 probe (IsWow64Process): missing (a system without the call, or not
// Windows), failed, or a definite answer.
enum class Wow64Probe { Unavailable, Failed, No, Yes };

// Windows' own version record (GetVersionExW, as the system reports it to a program without a
// compatibility manifest) and the questions the About box asks beside it.
struct WindowsVersion {
    uint32_t platformId = 0;   // 1: Windows 9x, 2: NT
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    std::string servicePack;   // the CSD text, "Service Pack 1" or empty
    bool hotfixQ246009 = false;  // HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Hotfix\Q246009 exists
    Wow64Probe wow64 = Wow64Probe::Unavailable;
};

struct SystemInfo {
    std::string sysname;  // "Linux"; "Windows"
    std::string release;  // "6.1.0-18-amd64"; "6.1.7601"
    std::string version;  // "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)"; the CSD text
    std::string machine;  // "x86_64"; on Windows the native machine: "x86", "x86_64", "arm64"
    bool is64Bit = false;  // the machine's width, whatever the process's own
    std::optional<WindowsVersion> windows;
};

class SystemInfoSource {
public:
    virtual ~SystemInfoSource() = default;
    virtual SystemInfo query() const = 0;
};

// uname(2); on Windows GetVersionExW, the native machine and IsWow64Process. The returned object
// lives for the whole process.
const SystemInfoSource& systemInfoSource();

// Whether a uname machine name denotes a 64-bit architecture.
bool machineIs64Bit(std::string_view machine);

}  // namespace skimmer::os
