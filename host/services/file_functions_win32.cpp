#include "host/services/file_functions.h"

#include <windows.h>

#include <aclapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "host/services/standard_functions.h"
#include "host/services/win32_handle.h"
#include "os/wide_text.h"

namespace skimmer::host::services {
namespace {

// Owns what GetNamedSecurityInfoW allocates.
struct LocalFreer {
    void operator()(void* p) const { LocalFree(p); }
};

int copyOut(const std::string& text, char* dest, int size) {
    const int needed = static_cast<int>(text.size()) + 1;
    if (dest == nullptr || size < needed) return needed;
    std::memcpy(dest, text.c_str(), static_cast<size_t>(needed));
    return needed;
}

int FARAPI getFileOwnerSlot(const char*, const char* name, char* owner) {
    if (name == nullptr || owner == nullptr) return FALSE;
    PSID sid = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    std::wstring wide = os::toWide(name);
    if (GetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &sid, nullptr, nullptr,
                              nullptr, &raw) != ERROR_SUCCESS)
        return FALSE;
    const std::unique_ptr<void, LocalFreer> descriptor(raw);
    wchar_t user[256];
    wchar_t domain[256];
    DWORD userSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (!LookupAccountSidW(nullptr, sid, user, &userSize, domain, &domainSize, &use)) return FALSE;
    std::snprintf(owner, 64, "%s", os::fromWide(user).c_str());  // as on Linux: FAR's buffer is larger
    return TRUE;
}

// The C runtime's stat answers one link for every file on Windows: the count comes from the file.
int FARAPI getNumberOfLinksSlot(const char* name) {
    if (name == nullptr) return 1;
    const Win32Handle file = openForAttributes(name);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return 1;
    return static_cast<int>(info.nNumberOfLinks);
}

void FARAPI recursiveSearchSlot(const char* initDir, const char* mask, FRSUSERFUNC fn, DWORD flags, void* param) {
    namespace fs = std::filesystem;
    if (initDir == nullptr || mask == nullptr || fn == nullptr) return;
    std::error_code ec;
    auto options = fs::directory_options::skip_permission_denied;
    if (flags & FRS_SCANSYMLINK) options |= fs::directory_options::follow_directory_symlink;
    fs::recursive_directory_iterator it(fs::path(os::toWide(initDir)), options, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (!(flags & FRS_RECUR)) it.disable_recursion_pending();
        const std::string full = os::fromWide(it->path().native());
        WIN32_FIND_DATAA data{};
        std::snprintf(data.cFileName, sizeof data.cFileName, "%s", os::fromWide(it->path().filename().native()).c_str());
        if (!ProcessName(mask, data.cFileName, PN_CMPNAMELIST)) continue;
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        if (GetFileAttributesExW(it->path().c_str(), GetFileExInfoStandard, &attributes)) {
            data.dwFileAttributes = attributes.dwFileAttributes;
            data.ftCreationTime = attributes.ftCreationTime;
            data.ftLastAccessTime = attributes.ftLastAccessTime;
            data.ftLastWriteTime = attributes.ftLastWriteTime;
            data.nFileSizeHigh = attributes.nFileSizeHigh;
            data.nFileSizeLow = attributes.nFileSizeLow;
        }
        if (fn(&data, full.c_str(), param) == 0) return;
    }
}

char* FARAPI mkTempSlot(char* dest, const char* prefix) {
    if (dest == nullptr) return nullptr;
    static std::atomic<unsigned> counter{0};
    wchar_t folder[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0) return nullptr;
    const std::string dir = os::fromWide(folder);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char candidate[FAR_MAX_PATH];
        std::snprintf(candidate, sizeof candidate, "%s%.8s%05lu%03u", dir.c_str(), prefix ? prefix : "FAR",
                      GetCurrentProcessId() % 100000ul, counter++ % 1000u);
        if (GetFileAttributesW(os::toWide(candidate).c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::strcpy(dest, candidate);
            return dest;
        }
    }
    return nullptr;
}

int FARAPI mkLinkSlot(const char* src, const char* dest, DWORD flags) {
    if (src == nullptr || dest == nullptr) return FALSE;
    const DWORD kind = flags & 0xFFFF;
    const std::wstring from = os::toWide(src), to = os::toWide(dest);
    if (kind == FLINK_HARDLINK) return CreateHardLinkW(to.c_str(), from.c_str(), nullptr) ? TRUE : FALSE;
    if (kind == FLINK_SYMLINK) {
        const DWORD folder = (GetFileAttributesW(from.c_str()) & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
        return CreateSymbolicLinkW(to.c_str(), from.c_str(), folder) ? TRUE : FALSE;
    }
    return FALSE;
}

int FARAPI convertNameToRealSlot(const char* src, char* dest, int size) {
    if (src == nullptr) return 0;
    wchar_t full[32768];
    const DWORD n = GetFullPathNameW(os::toWide(src).c_str(), 32768, full, nullptr);
    const std::string text = (n > 0 && n < 32768) ? os::fromWide(full) : std::string(src);
    return copyOut(text, dest, size);
}

int FARAPI reparsePointSlot(const char* src, char* dest, int size) {
    if (src == nullptr) return 0;
    std::error_code ec;
    const auto target = std::filesystem::read_symlink(os::toWide(src), ec);
    if (ec) return 0;  // not a link, or one the system will not read: FAR's "no reparse point"
    return copyOut(os::fromWide(target.native()), dest, size);
}

}  // namespace

void fillFileFunctions(FarStandardFunctions& f) {
    f.GetFileOwner = getFileOwnerSlot;
    f.GetNumberOfLinks = getNumberOfLinksSlot;
    f.FarRecursiveSearch = recursiveSearchSlot;
    f.MkTemp = mkTempSlot;
    f.MkLink = mkLinkSlot;
    f.ConvertNameToReal = convertNameToRealSlot;
    f.GetReparsePointInfo = reparsePointSlot;
}

}  // namespace skimmer::host::services
