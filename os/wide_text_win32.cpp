#include "os/wide_text.h"

#include <windows.h>

#include <climits>

namespace skimmer::os {
namespace {

// Both directions in two calls: the length first, then the text. The APIs count in int; a text of
// 2 GiB or more is no name, path or line this plug-in passes, and converts to nothing.
std::wstring widen(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int size = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (units <= 0) return {};
    std::wstring out(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), units);
    return out;
}

std::string narrow(UINT codePage, std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int size = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring toWide(std::string_view ansi) { return widen(CP_ACP, ansi); }
std::string fromWide(std::wstring_view wide) { return narrow(CP_ACP, wide); }
std::wstring wideFromUtf8(std::string_view utf8) { return widen(CP_UTF8, utf8); }
std::string utf8FromWide(std::wstring_view wide) { return narrow(CP_UTF8, wide); }

}  // namespace skimmer::os
