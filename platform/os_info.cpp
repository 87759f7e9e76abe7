#include "platform/os_info.h"

#include "os/utf8.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace skimmer::platform {

namespace {

uint8_t win9xProduct(uint32_t major, uint32_t minor) {
    if (major != 4) return 0;
    if (minor == 0) return 1;
    if (minor == 10) return 2;
    if (minor == 90) return 3;
    return 0;
}

uint8_t winNTProduct(uint32_t major, uint32_t minor) {
    if (major == 4 && minor == 0) return 4;
    if (major == 5 && minor <= 2) return static_cast<uint8_t>(5 + minor);
    if (major == 6) return 8;
    return 0;
}

char firstUpper(const std::string& text) {
    return text.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

}  // namespace

bool TOSInfo::IsWin9x() const { return data_.platformId == kPlatformWin9x; }
bool TOSInfo::IsWinNT() const { return data_.platformId == kPlatformWinNT; }

uint8_t TOSInfo::Product() const {
    if (IsWin9x()) return win9xProduct(data_.major, data_.minor);
    if (IsWinNT()) return winNTProduct(data_.major, data_.minor);
    if (data_.platformId == kPlatformLinux) return kProductLinux;
    return 0;
}

bool TOSInfo::IsNT4SP6a() const {
    return Product() == 4 && os::equalsAsciiCaseless(data_.servicePack, "Service Pack 6") && data_.hotfixQ246009;
}

std::string TOSInfo::Edition() const {
    if (IsWin9x() && data_.servicePack.empty()) return "";
    const uint8_t product = Product();
    if (product == 1) {
        const char c = firstUpper(data_.servicePack);
        return c == 'B' || c == 'C' ? "OSR2" : "";
    }
    if (product == 2) return firstUpper(data_.servicePack) == 'A' ? "SE" : "";
    if (IsWinNT()) return IsNT4SP6a() ? "SP 6a" : data_.servicePack;
    if (product == kProductLinux) return data_.servicePack;
    return "";
}

bool TOSInfo::IsWow64() const {
    switch (data_.wow64) {
        case Wow64Probe::Failed: throw std::runtime_error("Bad process handle");
        case Wow64Probe::Yes: return true;
        case Wow64Probe::No:
        case Wow64Probe::Unavailable: return false;
    }
    return false;
}

bool TOSInfo::Is64Bit() const {
    if (data_.platformId == kPlatformLinux) return data_.machine64;
    return IsWow64() || data_.machine64;
}

std::string TOSInfo::ProductName(uint8_t code) {
    static const char* const kNames[] = {"Unknown",      "Windows 95",   "Windows 98",
                                         "Windows ME",   "Windows NT 4", "Windows 2000",
                                         "Windows XP",   "W. Server 2003", "Windows Vista",
                                         "Linux"};
    return code < std::size(kNames) ? kNames[code] : kNames[0];
}

OSVersionData linuxVersionData(const std::string& kernelRelease) {
    OSVersionData data;
    data.platformId = kPlatformLinux;
    data.servicePack = kernelRelease;
    const char* p = kernelRelease.c_str();
    char* end = nullptr;
    data.major = static_cast<uint32_t>(std::strtoul(p, &end, 10));
    if (end && *end == '.') data.minor = static_cast<uint32_t>(std::strtoul(end + 1, nullptr, 10));
    return data;
}

OSVersionData linuxVersionData(const os::SystemInfo& system) {
    OSVersionData data = linuxVersionData(system.release);
    data.machine64 = system.is64Bit;
    return data;
}

OSVersionData windowsVersionData(const os::WindowsVersion& version, bool machine64) {
    OSVersionData data;
    data.platformId = version.platformId;
    data.major = version.major;
    data.minor = version.minor;
    data.servicePack = version.servicePack;
    data.hotfixQ246009 = version.hotfixQ246009;
    data.wow64 = version.wow64;
    data.machine64 = machine64;
    return data;
}

OSVersionData versionDataOf(const os::SystemInfo& system) {
    return system.windows ? windowsVersionData(*system.windows, system.is64Bit) : linuxVersionData(system);
}

}  // namespace skimmer::platform
