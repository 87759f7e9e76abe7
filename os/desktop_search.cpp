#include "os/desktop_search.h"

#include "os/utf8.h"

#include <cstdio>

namespace skimmer::os::search {

std::string safecallMessage(HResult code) {
    char text[40];
    std::snprintf(text, sizeof text, "Safecall error: '%X'", static_cast<unsigned>(code));
    return text;
}

SearchError::SearchError(HResult code, std::string detail)
    : std::runtime_error(safecallMessage(code)), code_(code), detail_(std::move(detail)) {}

CellText& CellText::operator=(const CellText& other) {
    if (this != &other) {
        owned_.assign(other.view());
        borrowed_ = nullptr;
        borrowedSize_ = 0;
    }
    return *this;
}

CellText& CellText::operator=(CellText&& other) {
    if (this != &other) {
        if (other.borrowed_ != nullptr) owned_.assign(other.view());
        else owned_ = std::move(other.owned_);
        borrowed_ = nullptr;
        borrowedSize_ = 0;
    }
    return *this;
}

std::wstring Variant::wide() const {
    // A byte that is not UTF-8 takes the low-surrogate escape, so the text survives a round trip.
    constexpr wchar_t kByteEscape = 0xDC00;
    const std::string_view text = this->text;
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const size_t length = decodeUtf8(text, i, c);
        if (length == 0) {
            out += static_cast<wchar_t>(kByteEscape + static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        if (sizeof(wchar_t) == 2 && c > 0xFFFF) {  // UTF-16: a surrogate pair
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += length;
    }
    return out;
}

}  // namespace skimmer::os::search
