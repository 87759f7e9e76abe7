#include "host/services/file_functions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <string>

#include "host/services/standard_functions.h"

namespace skimmer::host::services {
namespace {

int FARAPI getFileOwnerSlot(const char*, const char* name, char* owner) {
    struct stat st {};
    if (name == nullptr || owner == nullptr || stat(name, &st) != 0) return FALSE;
    const passwd* pw = getpwuid(st.st_uid);
    const std::string user = pw ? pw->pw_name : std::to_string(st.st_uid);
    std::snprintf(owner, 64, "%s", user.c_str());  // user names are short; FAR's buffer is larger
    return TRUE;
}

int FARAPI getNumberOfLinksSlot(const char* name) {
    struct stat st {};
    return (name && stat(name, &st) == 0) ? static_cast<int>(st.st_nlink) : 1;
}

void FARAPI recursiveSearchSlot(const char* initDir, const char* mask, FRSUSERFUNC fn, DWORD flags, void* param) {
    namespace fs = std::filesystem;
    if (initDir == nullptr || mask == nullptr || fn == nullptr) return;
    std::error_code ec;
    auto options = fs::directory_options::skip_permission_denied;
    if (flags & FRS_SCANSYMLINK) options |= fs::directory_options::follow_directory_symlink;
    fs::recursive_directory_iterator it(initDir, options, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (!(flags & FRS_RECUR)) it.disable_recursion_pending();
        const std::string full = it->path().string();
        char name[FAR_MAX_PATH];
        std::snprintf(name, sizeof name, "%s", it->path().filename().c_str());
        if (!ProcessName(mask, name, PN_CMPNAMELIST)) continue;
        WIN32_FIND_DATAA data{};
        struct stat st {};
        if (lstat(full.c_str(), &st) == 0) {
            data.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
            data.nFileSizeLow = static_cast<DWORD>(st.st_size & 0xFFFFFFFF);
            data.nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
        }
        std::snprintf(data.cFileName, sizeof data.cFileName, "%s", name);
        if (fn(&data, full.c_str(), param) == 0) return;
    }
}

char* FARAPI mkTempSlot(char* dest, const char* prefix) {
    if (dest == nullptr) return nullptr;
    static std::atomic<unsigned> counter{0};
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = (tmp && *tmp == '/') ? tmp : "/tmp";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char candidate[FAR_MAX_PATH];
        std::snprintf(candidate, sizeof candidate, "%s/%.8s%05u%03u", dir.c_str(), prefix ? prefix : "FAR",
                      static_cast<unsigned>(getpid()) % 100000u, counter++ % 1000u);
        if (access(candidate, F_OK) != 0) {
            std::strcpy(dest, candidate);
            return dest;
        }
    }
    return nullptr;
}

int FARAPI mkLinkSlot(const char* src, const char* dest, DWORD flags) {
    if (src == nullptr || dest == nullptr) return FALSE;
    const DWORD kind = flags & 0xFFFF;
    if (kind == FLINK_HARDLINK) return link(src, dest) == 0;
    if (kind == FLINK_SYMLINK) return symlink(src, dest) == 0;
    return FALSE;
}

int copyOut(const std::string& text, char* dest, int size) {
    const int needed = static_cast<int>(text.size()) + 1;
    if (dest == nullptr || size < needed) return needed;
    std::memcpy(dest, text.c_str(), static_cast<size_t>(needed));
    return needed;
}

int FARAPI convertNameToRealSlot(const char* src, char* dest, int size) {
    if (src == nullptr) return 0;
    char* real = realpath(src, nullptr);
    const std::string text = real ? real : src;
    std::free(real);
    return copyOut(text, dest, size);
}

int FARAPI reparsePointSlot(const char* src, char* dest, int size) {
    if (src == nullptr) return 0;
    char target[FAR_MAX_PATH];
    const ssize_t n = readlink(src, target, sizeof target - 1);
    if (n < 0) return 0;
    return copyOut(std::string(target, static_cast<size_t>(n)), dest, size);
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
