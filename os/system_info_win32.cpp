// Windows' version record, its native machine and the WOW64 probe, read fresh on every query.
#include "os/system_info.h"

#include <windows.h>

#include <string>

#include "os/wide_text.h"

namespace skimmer::os {

namespace {

constexpr const wchar_t* kHotfixKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

// An open registry key, closed when it goes.
class OpenKey {
public:
    OpenKey(HKEY parent, const wchar_t* path) {
        if (::RegOpenKeyExW(parent, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

const char* machineName(WORD architecture) {
    switch (architecture) {
        case PROCESSOR_ARCHITECTURE_INTEL: return "x86";
        case PROCESSOR_ARCHITECTURE_AMD64: return "x86_64";
        case PROCESSOR_ARCHITECTURE_IA64: return "ia64";
        case PROCESSOR_ARCHITECTURE_ARM: return "arm";
        case 12: return "arm64";  // PROCESSOR_ARCHITECTURE_ARM64, missing from older headers
        default: return "";
    }
}

// The probe as the About box asks it: the call looked up by name in kernel32 (a system without it
// is a 32-bit one), then asked about this process.
Wow64Probe probeWow64() {
    using Probe = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? ::GetProcAddress(kernel, "IsWow64Process") : nullptr;
    if (!found) return Wow64Probe::Unavailable;
    BOOL wow64 = FALSE;
    if (!reinterpret_cast<Probe>(reinterpret_cast<void*>(found))(::GetCurrentProcess(), &wow64))
        return Wow64Probe::Failed;
    return wow64 ? Wow64Probe::Yes : Wow64Probe::No;
}

std::optional<WindowsVersion> versionRecord() {
    OSVERSIONINFOEXW raw{};
    raw.dwOSVersionInfoSize = sizeof raw;
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&raw))) return std::nullopt;
    WindowsVersion version;
    version.platformId = raw.dwPlatformId;
    version.major = raw.dwMajorVersion;
    version.minor = raw.dwMinorVersion;
    version.build = raw.dwBuildNumber;
    version.servicePack = fromWide(raw.szCSDVersion);
    version.hotfixQ246009 = static_cast<bool>(OpenKey(HKEY_LOCAL_MACHINE, kHotfixKey));
    return version;
}

class WindowsSource final : public SystemInfoSource {
public:
    SystemInfo query() const override {
        SystemInfo info;
        info.sysname = "Windows";
        info.windows = versionRecord();
        if (!info.windows) info.windows.emplace();  // the system is Windows, whatever the record says
        info.windows->wow64 = probeWow64();
        const WindowsVersion& v = *info.windows;
        if (v.major != 0)
            info.release = std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build);
        info.version = v.servicePack;
        SYSTEM_INFO native{};
        ::GetNativeSystemInfo(&native);
        info.machine = machineName(native.wProcessorArchitecture);
        info.is64Bit = machineIs64Bit(info.machine);
        return info;
    }
};

}  // namespace

const SystemInfoSource& systemInfoSource() {
    static const WindowsSource source;
    return source;
}

}  // namespace skimmer::os
