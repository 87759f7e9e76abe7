// What the Windows side of the desktop search seam (desktop_search_win32.cpp and
// desktop_search_ado_win32.cpp) shares: owning types for COM interface pointers, BSTRs and
// VARIANTs, the thread's COM scope, and the one way a failed call becomes a SearchError.
//
// Contract: every type owns exactly one reference or allocation and frees it once, in its
// destructor; none is copyable. Included by those two files only (Windows headers inside).
#pragma once

#include "os/desktop_search.h"

#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <utility>

namespace skimmer::os::search::win32 {

// One reference to a COM interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For a call that hands out a reference: what it writes here is owned.
    T** out() {
        reset();
        return &p_;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// One BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text) : b_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { ::SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

private:
    BSTR b_ = nullptr;
};

// One VARIANT, cleared when it goes.
class VariantValue {
public:
    VariantValue() { ::VariantInit(&v_); }
    ~VariantValue() { ::VariantClear(&v_); }
    VariantValue(const VariantValue&) = delete;
    VariantValue& operator=(const VariantValue&) = delete;
    VARIANT* get() { return &v_; }
    const VARIANT& operator*() const { return v_; }

private:
    VARIANT v_;
};

// COM initialised for the calling thread while it lives (apartment-threaded, as the system's
// shell and search objects expect); uninitialised only when the initialisation succeeded. An
// already initialised thread (S_FALSE) counts as success and is balanced the same way.
class ComScope {
public:
    ComScope();  // throws SearchError when COM cannot be initialised
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

// Throws SearchError(hr, what + the system's text for hr) when hr is a failure.
void check(HRESULT hr, const char* what);
[[noreturn]] void fail(HRESULT hr, std::string_view what);

// UTF-8 of a wide text (the seam's text cells, connection string and SQL).
std::string utf8(const wchar_t* text, size_t length);
std::string utf8(const wchar_t* text);

// ADO's connection object ("ADODB.Connection"), reached by late binding. Throws SearchError when
// it cannot be created.
std::unique_ptr<Connection> createAdoConnection();

}  // namespace skimmer::os::search::win32
