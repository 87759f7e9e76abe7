#include "host/services/file_stamp.h"

#include <windows.h>

#include "os/wide_text.h"

namespace skimmer::host::services {
namespace {

// Owns a handle opened for the stamp.
struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

}  // namespace

// The volume and file index (an editor that writes a new file and renames it over the old one
// changes them), size, and the last-write time in 100 ns units.
std::string fileStamp(const std::string& path) {
    const HandleCloser file{CreateFileW(os::toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    BY_HANDLE_FILE_INFORMATION info{};
    if (file.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file.handle, &info)) return {};
    std::string stamp;
    for (const DWORD part : {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.nFileSizeHigh,
                             info.nFileSizeLow, info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime})
        stamp += std::to_string(part) + ":";
    return stamp;
}

}  // namespace skimmer::host::services
