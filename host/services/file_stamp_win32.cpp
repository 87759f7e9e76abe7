#include "host/services/file_stamp.h"

#include "host/services/win32_handle.h"

namespace skimmer::host::services {

// The volume and file index (an editor that writes a new file and renames it over the old one
// changes them), size, and the last-write time in 100 ns units.
std::string fileStamp(const std::string& path) {
    const Win32Handle file = openForAttributes(path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return {};
    std::string stamp;
    for (const DWORD part : {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.nFileSizeHigh,
                             info.nFileSizeLow, info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime})
        stamp += std::to_string(part) + ":";
    return stamp;
}

}  // namespace skimmer::host::services
