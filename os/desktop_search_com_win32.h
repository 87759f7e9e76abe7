// What the Windows side of the desktop search seam (desktop_search_win32.cpp and
// desktop_search_ado_win32.cpp) shares: owning types for BSTRs and VARIANTs (COM interface
// pointers and the thread's COM scope come from os/com_scope.h), and the one way a failed call becomes a SearchError.
//
// Contract: every type owns exactly one reference or allocation and frees it once, in its
// destructor; none is copyable. Included by those two files only (Windows headers inside).
#pragma once

#include "os/com_scope.h"
#include "os/desktop_search.h"

#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <utility>

namespace skimmer::os::search::win32 {

using os::ComPtr;  // one reference to a COM interface (os/com_scope.h)

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

// COM for the calling thread while it lives (os/com_scope.h's ComScope); a thread where COM
// cannot be initialised, or that is already in the multithreaded apartment, throws SearchError
// with the system's reason.
class ComScope {
public:
    ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    os::ComScope scope_;
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
