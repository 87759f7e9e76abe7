// The one owner of a Windows file handle in the host's _win32 files (included by them only): closes
// it when it goes, never twice, never an invalid one.
#pragma once

#include <windows.h>

#include <string>

#include "os/wide_text.h"

namespace skimmer::host::services {

class Win32Handle {
public:
    explicit Win32Handle(HANDLE handle) : handle_(handle) {}
    ~Win32Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Win32Handle(const Win32Handle&) = delete;
    Win32Handle& operator=(const Win32Handle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A file or folder (path in the ANSI code page) opened only to read its attributes, shared with
// every other opener so it never stands in an editor's way.
inline Win32Handle openForAttributes(const std::string& path) {
    return Win32Handle(CreateFileW(os::toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace skimmer::host::services
