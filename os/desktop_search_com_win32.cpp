// The shared pieces of the desktop search seam's Windows side (desktop_search_com_win32.h).
#include "os/desktop_search_com_win32.h"

#include "os/wide_text.h"

#include <windows.h>

namespace skimmer::os::search::win32 {

ComScope::ComScope() {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    check(hr, "COM could not be initialised for this thread");
}

ComScope::~ComScope() { ::CoUninitialize(); }

std::string utf8(const wchar_t* text, size_t length) { return utf8FromWide(std::wstring_view(text, length)); }
std::string utf8(const wchar_t* text) { return utf8FromWide(text ? std::wstring_view(text) : std::wstring_view()); }

[[noreturn]] void fail(HRESULT hr, std::string_view what) {
    std::string detail(what);
    wchar_t* message = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr);
    if (length > 0 && message) {
        std::wstring_view text(message, length);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
            text.remove_suffix(1);
        detail += ": " + fromWide(text);
    }
    if (message) ::LocalFree(message);
    throw SearchError(static_cast<HResult>(hr), detail);
}

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) fail(hr, what);
}

}  // namespace skimmer::os::search::win32

