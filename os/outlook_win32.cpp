#include "os/outlook.h"

#include <windows.h>

#include "os/com_dispatch.h"
#include "os/wide_text.h"

namespace skimmer::os {

namespace {

constexpr const wchar_t* kApplication = L"Outlook.Application";

// One mail item, found by entry id, with the COM scope and the objects that lead to it. The scope
// is declared first, so it ends after every object of its apartment was released.
struct FoundItem {
    ComScope com;
    ComPtr<IDispatch> application;
    ComPtr<IDispatch> mapi;
    ComPtr<IDispatch> item;
};

// Steps one to three; false with `error` naming the step that failed.
bool findItem(FoundItem& found, const std::string& entryId, std::string& error) {
    if (!found.com.usable()) {
        error = found.com.error();
        return false;
    }
    if (!createDispatch(kApplication, found.application, error)) {
        error = "The mail client cannot be reached: " + error;
        return false;
    }
    const Variant mapiName = Variant::text(L"MAPI");
    Variant mapi;
    if (!dispatchCall(found.application.get(), L"GetNamespace", DispatchKind::Method, {&mapiName}, &mapi, error)) {
        error = "The mail client's MAPI namespace cannot be opened: " + error;
        return false;
    }
    found.mapi = mapi.asDispatch();
    const Variant id = Variant::text(toWide(entryId));
    Variant item;
    if (!found.mapi ||
        !dispatchCall(found.mapi.get(), L"GetItemFromID", DispatchKind::Method, {&id}, &item, error)) {
        error = "The mail client does not know the mail item " + entryId + (error.empty() ? "" : ": " + error);
        return false;
    }
    found.item = item.asDispatch();
    if (!found.item) {
        error = "The mail client gave no mail item for " + entryId;
        return false;
    }
    return true;
}

// The property `name` of the found item; false with `error`.
bool itemProperty(const FoundItem& found, const wchar_t* name, Variant& value, std::string& error) {
    if (dispatchCall(found.item.get(), name, DispatchKind::Get, {}, &value, error)) return true;
    error = "The mail item's " + fromWide(name) + " cannot be read: " + error;
    return false;
}

// An OLE date in local time as a UTC FILETIME; none when the system cannot place it.
std::optional<uint64_t> utcFileTime(double localDate) {
    SYSTEMTIME local{}, utc{};
    FILETIME time{};
    if (!VariantTimeToSystemTime(localDate, &local) || !TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
        !SystemTimeToFileTime(&utc, &time))
        return std::nullopt;
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

}  // namespace

std::string outlookDisplay(const std::string& entryId) {
    FoundItem found;
    std::string error;
    if (!findItem(found, entryId, error)) return error;
    std::string refused;  // see the header: the client shows its own refusal
    dispatchCall(found.item.get(), L"Display", DispatchKind::Method, {}, nullptr, refused);
    return {};
}

std::optional<OutlookItemFacts> outlookItemFacts(const std::string& entryId, std::string& error) {
    FoundItem found;
    if (!findItem(found, entryId, error)) return std::nullopt;
    Variant creation, size;
    if (!itemProperty(found, L"CreationTime", creation, error) || !itemProperty(found, L"Size", size, error))
        return std::nullopt;
    const std::optional<double> date = creation.asDate();
    const std::optional<long long> bytes = size.asInteger();
    const std::optional<uint64_t> utc = date ? utcFileTime(*date) : std::nullopt;
    if (!date || !bytes || !utc) {
        error = "The mail item " + entryId + " gives no usable creation time or size";
        return std::nullopt;
    }
    return OutlookItemFacts{.created = *date, .createdUtc = *utc, .size = *bytes};
}

std::optional<std::string> outlookItemBody(const std::string& entryId, std::string& error) {
    FoundItem found;
    if (!findItem(found, entryId, error)) return std::nullopt;
    Variant body;
    if (!itemProperty(found, L"Body", body, error)) return std::nullopt;
    const std::optional<std::wstring> text = body.asText();
    if (!text) {
        error = "The mail item " + entryId + " has a body that is not text";
        return std::nullopt;
    }
    return fromWide(*text);
}

}  // namespace skimmer::os
