// Owners for the kernel handles the *_win32.cpp files of os/ open. Windows only.
//
// Contract: a handle owns exactly one kernel object (or none) and closes it once, when it goes or
// is reset; moving transfers ownership; nothing is retried. UniqueHandle takes both of Windows'
// "no handle" values (null and INVALID_HANDLE_VALUE), because the calls return one or the other.
#pragma once

#include <windows.h>

#include <utility>

namespace skimmer::os {

template <typename Traits>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(Traits::valid(handle) ? handle : nullptr) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr; }
    explicit operator bool() const { return valid(); }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset() {
        if (handle_) Traits::close(std::exchange(handle_, nullptr));
    }

private:
    HANDLE handle_ = nullptr;
};

struct KernelHandleTraits {
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::FindClose(h); }
};

using UniqueHandle = OwnedHandle<KernelHandleTraits>;  // CreateFileW, OpenProcess, ...
using FindHandle = OwnedHandle<FindHandleTraits>;       // FindFirstFileW

}  // namespace skimmer::os
