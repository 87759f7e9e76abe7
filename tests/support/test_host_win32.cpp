#include <windows.h>

#include "os/wide_text.h"
#include "tests/support/test_host.h"

namespace skimmer::test {

namespace {

std::string systemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : os::utf8FromWide(message);
}

}  // namespace

Module::Module(const std::filesystem::path& file) {
    // The path as the file system spells it: no ANSI round trip for a build folder's name.
    handle_ = LoadLibraryW(file.wstring().c_str());
    if (!handle_) error_ = "LoadLibraryW(" + file.string() + "): " + systemText(GetLastError());
}

Module::~Module() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* Module::symbol(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace skimmer::test
