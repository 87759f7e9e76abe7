#include "os/win32_files.h"

#include <io.h>

#include <atomic>
#include <cerrno>

#include "os/clock.h"
#include "os/system_error.h"
#include "os/wide_text.h"

namespace skimmer::os {

namespace {

int64_t nanosecondsOf(uint64_t ticks) {
    const UnixTime t = unixFromFileTime(ticks);
    return t.seconds * 1'000'000'000 + t.nanoseconds;
}

}  // namespace

std::wstring widePath(std::string_view path) { return toWide(path); }

bool namesDevice(std::string_view path) {
    if (path.size() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
        (path[2] == '.' || path[2] == '?') && (path[3] == '\\' || path[3] == '/'))
        return path[2] == '.';  // "\\?\" is a long file path; "\\.\" the device namespace
    const size_t slash = path.find_last_of("\\/:");
    std::string_view name = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    std::string upper;
    for (char c : name) upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
        upper == "CONOUT$")
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

UniqueHandle openRegularForReading(std::string_view path, uint64_t& size, int& err) {
    if (namesDevice(path)) {
        err = EINVAL;
        return {};
    }
    // Backup semantics: a folder opens too, so that it is told apart from a missing file.
    UniqueHandle handle(::CreateFileW(widePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        err = lastErrorAsErrno();
        return {};
    }
    FileStat st;
    if ((err = statHandle(handle.get(), st)) != 0) return {};
    if (!st.isRegular) {
        err = st.isDirectory ? EISDIR : EINVAL;
        return {};
    }
    size = st.size;
    return handle;
}

UniqueHandle openForQuery(const std::wstring& path, bool followLinks, int& err) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    UniqueHandle handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, flags,
                                      nullptr));
    err = handle ? 0 : lastErrorAsErrno();
    return handle;
}

// The change time is the one POSIX's ctime stands for (any change to the file, its name included);
// a file system that does not keep one gives the last write time.
int statHandle(HANDLE handle, FileStat& st) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return lastErrorAsErrno();
    FileStat out;
    out.device = info.dwVolumeSerialNumber;
    out.inode = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    out.size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    out.mtimeNs = nanosecondsOf(ticksOf(info.ftLastWriteTime));
    FILE_BASIC_INFO basic{};
    const bool changed = ::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) &&
                         basic.ChangeTime.QuadPart > 0;
    out.ctimeNs = changed ? nanosecondsOf(static_cast<uint64_t>(basic.ChangeTime.QuadPart)) : out.mtimeNs;
    out.isDirectory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.isRegular = !out.isDirectory && ::GetFileType(handle) == FILE_TYPE_DISK;
    st = out;
    return 0;
}

int adoptHandle(UniqueHandle handle, int crtFlags, int& fd) {
    const int got = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), crtFlags);
    if (got < 0) return EMFILE;  // the handle is still ours: closed on the way out
    handle.release();
    fd = got;
    return 0;
}

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

int replaceFile(const std::wstring& from, const std::wstring& to) {
    constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (::MoveFileExW(from.c_str(), to.c_str(), kReplace)) return 0;
    const DWORD refused = ::GetLastError();
    if (refused != ERROR_ACCESS_DENIED && refused != ERROR_SHARING_VIOLATION) return errnoFromSystemError(refused);
    const DWORD target = ::GetFileAttributesW(to.c_str());
    if (target == INVALID_FILE_ATTRIBUTES || (target & FILE_ATTRIBUTE_DIRECTORY)) return errnoFromSystemError(refused);
    static std::atomic<unsigned> counter{0};
    const std::wstring aside = to + L".replaced-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                               std::to_wstring(counter.fetch_add(1));
    if (!::MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) return errnoFromSystemError(refused);
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const int err = lastErrorAsErrno();
        ::MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);  // the old file back in its place
        return err;
    }
    ::SetFileAttributesW(aside.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::DeleteFileW(aside.c_str());  // pending while held: it goes with the holder's last handle
    return 0;
}

uint64_t ticksOf(const FILETIME& ft) { return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

FILETIME fileTimeOf(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace skimmer::os
