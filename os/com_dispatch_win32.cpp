#include "os/com_dispatch.h"

#include <oleauto.h>

#include <vector>

#include "os/com_error.h"
#include "os/wide_text.h"

namespace skimmer::os {

namespace {

// Owns the BSTRs an EXCEPINFO comes back with.
class ExceptionInfo {
public:
    ExceptionInfo() = default;
    ~ExceptionInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;

    EXCEPINFO* put() { return &info_; }
    // The server's description, else the text of its code, else the text of `invokeResult`.
    std::string describe(HRESULT invokeResult) {
        if (info_.pfnDeferredFillIn) info_.pfnDeferredFillIn(&info_);
        if (info_.bstrDescription && info_.bstrDescription[0] != L'\0') {
            std::string text = fromWide(std::wstring_view(info_.bstrDescription, SysStringLen(info_.bstrDescription)));
            if (info_.bstrSource && info_.bstrSource[0] != L'\0')
                text = fromWide(std::wstring_view(info_.bstrSource, SysStringLen(info_.bstrSource))) + ": " + text;
            return text;
        }
        if (FAILED(info_.scode)) return comErrorText(info_.scode);
        return comErrorText(invokeResult);
    }

private:
    EXCEPINFO info_{};
};

}  // namespace

Variant Variant::text(std::wstring_view text) {
    Variant v;
    const BSTR owned = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (owned == nullptr) return v;
    V_VT(&v.v_) = VT_BSTR;
    V_BSTR(&v.v_) = owned;
    return v;
}

std::optional<std::wstring> Variant::asText() const {
    Variant converted;
    if (FAILED(VariantChangeType(converted.put(), source(), 0, VT_BSTR))) return std::nullopt;
    const BSTR text = V_BSTR(&converted.v_);
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

std::optional<double> Variant::asDate() const {
    Variant converted;
    if (FAILED(VariantChangeType(converted.put(), source(), 0, VT_DATE))) return std::nullopt;
    return V_DATE(&converted.v_);
}

std::optional<long long> Variant::asInteger() const {
    Variant converted;
    if (FAILED(VariantChangeType(converted.put(), source(), 0, VT_I8))) return std::nullopt;
    return V_I8(&converted.v_);
}

ComPtr<IDispatch> Variant::asDispatch() const {
    ComPtr<IDispatch> object;
    if (V_VT(&v_) == VT_DISPATCH && V_DISPATCH(&v_) != nullptr)
        V_DISPATCH(&v_)->QueryInterface(IID_IDispatch, object.putVoid());
    return object;
}

bool dispatchCall(IDispatch* object, const wchar_t* member, DispatchKind kind,
                  std::initializer_list<const Variant*> arguments, Variant* result, std::string& error) {
    const std::string name = fromWide(member);
    if (object == nullptr) {
        error = name + ": there is no object to call it on";
        return false;
    }
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr)) {
        error = name + ": the object has no such member: " + comErrorText(hr);
        return false;
    }
    // IDispatch::Invoke reads its arguments last first; they stay owned by the caller's Variants.
    std::vector<VARIANTARG> reversed;
    reversed.reserve(arguments.size());
    for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it) reversed.push_back((*it)->get());
    DISPPARAMS parameters{};
    parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
    parameters.cArgs = static_cast<UINT>(reversed.size());
    Variant ignored;
    ExceptionInfo exception;
    UINT badArgument = 0;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(kind), &parameters,
                                      (result ? result : &ignored)->put(), exception.put(), &badArgument);
    if (FAILED(hr)) {
        error = name + " failed: " + exception.describe(hr);
        return false;
    }
    return true;
}

bool createDispatch(const wchar_t* progId, ComPtr<IDispatch>& object, std::string& error) {
    CLSID clsid{};
    if (HRESULT hr = CLSIDFromProgID(progId, &clsid); FAILED(hr)) {
        error = fromWide(progId) + " is not registered on this system: " + comErrorText(hr);
        return false;
    }
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        object.putVoid());
    if (FAILED(hr)) {
        error = fromWide(progId) + " cannot be started: " + comErrorText(hr);
        return false;
    }
    return true;
}

}  // namespace skimmer::os
