// The shared pieces of the desktop search seam's Windows side (desktop_search_com_win32.h).
#include "os/desktop_search_com_win32.h"

#include "os/com_error.h"
#include "os/wide_text.h"

#include <windows.h>

namespace skimmer::os::search::win32 {

// The search service's objects want the apartment-threaded model: a thread already in the
// multithreaded apartment cannot use them, so that counts as COM not initialised here.
ComScope::ComScope() {
    if (!scope_.usable() || scope_.code() == RPC_E_CHANGED_MODE)
        throw SearchError(static_cast<HResult>(scope_.code()),
                          "COM could not be initialised for this thread: " + comErrorText(scope_.code()));
}

std::string utf8(const wchar_t* text, size_t length) { return utf8FromWide(std::wstring_view(text, length)); }
std::string utf8(const wchar_t* text) { return utf8FromWide(text ? std::wstring_view(text) : std::wstring_view()); }

[[noreturn]] void fail(HRESULT hr, std::string_view what) {
    throw SearchError(static_cast<HResult>(hr), std::string(what) + ": " + comErrorText(hr));
}

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) fail(hr, what);
}

}  // namespace skimmer::os::search::win32

