// On Windows a shortcut is what the shell says it is: the system's ShellLink object loads the
// file and gives its target, so every variant of the format the system knows is understood.
#include "os/shell_link.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "os/com_scope.h"
#include "os/wide_text.h"

namespace skimmer::os {

namespace {

// Room for the longest path the system accepts, not only MAX_PATH: a long target is never cut.
constexpr int kTargetChars = 32768;

}  // namespace

std::optional<ShellLinkTarget> readShellLinkFile(const std::string& path, std::string& why) {
    const ComScope com;
    if (!com.usable()) {
        why = com.error();
        return std::nullopt;
    }
    ComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid());
    if (FAILED(hr)) {
        why = "the system's shell-link object cannot be created: " + comErrorText(hr);
        return std::nullopt;
    }
    ComPtr<IPersistFile> file;
    if (hr = link.query(IID_IPersistFile, file); FAILED(hr)) {
        why = "the system's shell-link object cannot load files: " + comErrorText(hr);
        return std::nullopt;
    }
    if (hr = file->Load(toWide(path).c_str(), STGM_READ); FAILED(hr)) {
        why = "cannot read the shortcut " + path + ": " + comErrorText(hr);
        return std::nullopt;
    }
    std::vector<wchar_t> target(kTargetChars, L'\0');
    WIN32_FIND_DATAW found{};
    hr = link->GetPath(target.data(), kTargetChars, &found, SLGP_RAWPATH);
    if (FAILED(hr)) {
        why = "the shortcut " + path + " gives no target: " + comErrorText(hr);
        return std::nullopt;
    }
    target.back() = L'\0';
    if (hr != S_OK || target.front() == L'\0') {
        why = "the shortcut names no target path";
        return std::nullopt;
    }
    return ShellLinkTarget{.path = fromWide(target.data()), .fromUnicode = false};
}

}  // namespace skimmer::os
