// The capped whole-file reader on Windows: the path's attributes are asked before anything is
// opened, a device name is never opened, and the open handle is asked again.
#include "os/bounded_file.h"

#include <cerrno>
#include <cstdint>

#include "os/system_error.h"
#include "os/win32_files.h"

namespace skimmer::os {
namespace {

using Status = BoundedRead::Status;

BoundedRead failed(Status status, int error = 0) { return BoundedRead{.status = status, .error = error, .text = {}}; }

// The attributes by path: a folder (or a link to one) is no regular file; the size is checked here
// first so that nothing too large is ever opened.
Status admitPath(const std::string& path, size_t maxBytes, int& error) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data)) {
        error = lastErrorAsErrno();
        return Status::OpenFailed;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Status::NotRegular;
    const uint64_t size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return size > maxBytes ? Status::TooLarge : Status::Ok;
}

}  // namespace

BoundedRead readBoundedFile(const std::string& path, size_t maxBytes) {
    if (namesDevice(path)) return failed(Status::NotRegular);
    int error = 0;
    if (const Status status = admitPath(path, maxBytes, error); status != Status::Ok) return failed(status, error);
    uint64_t size = 0;
    const UniqueHandle file = openRegularForReading(path, size, error);
    if (error == EISDIR || error == EINVAL) return failed(Status::NotRegular);
    if (error) return failed(Status::OpenFailed, error);
    if (size > maxBytes) return failed(Status::TooLarge);
    BoundedRead out;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return failed(Status::ReadFailed, lastErrorAsErrno());
        if (got == 0) return out;
        if (out.text.size() + got > maxBytes) return failed(Status::Grew);
        out.text.append(buffer, got);
    }
}

}  // namespace skimmer::os
