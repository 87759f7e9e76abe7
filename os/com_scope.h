// COM for the length of a scope, and the one owning pointer every COM interface we hold lives in.
//
// Contract:
// - `ComScope` joins the calling thread to a single-threaded apartment (CoInitializeEx with
//   COINIT_APARTMENTTHREADED) and, at the end of the scope, undoes exactly its own initialisation:
//   CoUninitialize runs only when CoInitializeEx counted (S_OK, or S_FALSE for a thread that was
//   already in an apartment of that model). A thread that is already in the multithreaded
//   apartment (RPC_E_CHANGED_MODE) can use COM as it is: `usable()` is true and nothing is undone.
//   Any other failure leaves `usable()` false and `error()` saying why. Not copyable or movable:
//   the balance belongs to the thread and the scope that made it.
// - `ComPtr<T>` owns one reference: it releases it exactly once (on reset, reassignment or
//   destruction), hands it over on move, and is never copied, so no reference leaks or is
//   released twice. `put()` gives the address an out-parameter fills, after releasing what it held.
// Windows only: included by os/*_win32.cpp files and the Windows tests, never by the plug-in.
#pragma once

#include <objbase.h>

#include <string>
#include <utility>

#include "os/com_error.h"

namespace skimmer::os {

class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    long code() const { return result_; }  // what CoInitializeEx answered
    std::string error() const {
        return usable() ? std::string() : "COM cannot be initialised on this thread: " + comErrorText(result_);
    }

private:
    HRESULT result_;
};

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* owned) : p_(owned) {}  // takes over a reference the caller was given
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T** put() {
        reset();
        return &p_;
    }
    // For the calls that return an untyped interface pointer (CoCreateInstance, QueryInterface).
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Asks the object for another of its interfaces; `out` owns the answer.
    template <class U>
    HRESULT query(REFIID iid, ComPtr<U>& out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out.putVoid());
    }

private:
    T* p_ = nullptr;
};

}  // namespace skimmer::os
