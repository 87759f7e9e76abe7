#include "os/com_error.h"

#include <windows.h>

#include <cstdio>

#include "os/wide_text.h"

namespace skimmer::os {

namespace {

std::string hexCode(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// The system's message for `code`, without its line break and full stop; empty when it has none.
std::string systemMessage(uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return fromWide(text);
}

std::string describe(uint32_t code) {
    const std::string message = systemMessage(code);
    return message.empty() ? "error " + hexCode(code) : message + " (" + hexCode(code) + ")";
}

}  // namespace

std::string comErrorText(long code) { return describe(static_cast<uint32_t>(code)); }

std::string systemErrorText(uint32_t code) { return describe(code); }

}  // namespace skimmer::os
