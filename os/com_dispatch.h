// Late binding through IDispatch: an automation object created by its ProgID, and its methods and
// properties called by name with VARIANT arguments.
//
// Contract:
// - `Variant` owns one VARIANT (and so the BSTR or interface it may hold): VariantClear runs exactly
//   once, when it is destroyed or refilled; it is moved, never copied.
// - `dispatchCall` asks the object for the member's id by name (GetIDsOfNames) and invokes it with
//   the arguments in the order a script writes them (IDispatch takes them last first; that is done
//   here). A failure is one line naming the member, with the server's own description when it
//   raised an exception (EXCEPINFO), else the system's text of the code; its BSTRs are freed.
// - `createDispatch` makes the automation object of a ProgID ("Outlook.Application"): a ProgID the
//   system does not know, or a server that cannot start, is an error text naming the ProgID.
// Windows only: included by os/*_win32.cpp files and the Windows tests.
#pragma once

#include <oaidl.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "os/com_scope.h"

namespace skimmer::os {

class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }

    // A BSTR argument holding `text`; an empty Variant when the system cannot allocate it.
    static Variant text(std::wstring_view text);

    const VARIANT& get() const { return v_; }
    // Cleared, for an out-parameter to fill.
    VARIANT* put() {
        VariantClear(&v_);
        return &v_;
    }

    // The value as another type, through the system's own coercion; none when it cannot be had.
    std::optional<std::wstring> asText() const;
    std::optional<double> asDate() const;   // VT_DATE: an OLE date, local time
    std::optional<long long> asInteger() const;
    // The object the value holds (VT_DISPATCH); null when it holds none.
    ComPtr<IDispatch> asDispatch() const;

private:
    // VariantChangeType takes its source by a non-const pointer but only reads it.
    VARIANTARG* source() const { return const_cast<VARIANT*>(&v_); }

    VARIANT v_;
};

// DISPATCH_METHOD or DISPATCH_PROPERTYGET, as the member is.
enum class DispatchKind : WORD { Method = DISPATCH_METHOD, Get = DISPATCH_PROPERTYGET };

// Calls `member` of `object`; `result` (when given) receives the return value. False with `error`.
bool dispatchCall(IDispatch* object, const wchar_t* member, DispatchKind kind,
                  std::initializer_list<const Variant*> arguments, Variant* result, std::string& error);

// The automation object of `progId`, on the calling thread's apartment. False with `error`.
bool createDispatch(const wchar_t* progId, ComPtr<IDispatch>& object, std::string& error);

}  // namespace skimmer::os
