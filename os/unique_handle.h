// A Windows HANDLE that closes itself. Windows only (includes <windows.h>); the os/*_win32.cpp
// files and the Windows test helpers use it, nothing above os/ ever sees a HANDLE.
//
// Contract: owns exactly one handle or none. Both "no handle" spellings of the API (null and
// INVALID_HANDLE_VALUE) are held as null, so valid() is the one test. CloseHandle is called once,
// by reset() or the destructor; moving transfers ownership.
#pragma once

#include <windows.h>

#include <utility>

namespace skimmer::os {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr; }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr) {
        if (handle_) ::CloseHandle(handle_);
        handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace skimmer::os
