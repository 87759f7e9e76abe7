// The engines' small questions about a file, answered by Windows: attributes and handles opened
// only to ask, devices never opened.
#include "os/file_info.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "os/system_error.h"
#include "os/wide_text.h"
#include "os/win32_files.h"

namespace skimmer::os {

std::optional<uint64_t> fileSizeFollowingLinks(const std::string& path) {
    if (path.empty() || namesDevice(path)) return std::nullopt;
    int err = 0;
    const UniqueHandle handle = openForQuery(widePath(path), true, err);
    FileStat st;
    if (err || statHandle(handle.get(), st) != 0) return std::nullopt;
    return st.size;
}

// The plug-in on Windows meets links as shortcuts (.lnk files, read elsewhere), never as the file
// system's own symbolic links: those are followed by every open, so there is no text to show.
std::optional<std::string> symlinkText(const std::string&) { return std::nullopt; }

std::optional<std::string> symlinkTargetPath(const std::string& path) { return symlinkText(path); }

int readFilePrefix(const std::string& path, size_t maxBytes, std::string& out, uint64_t& fileSize) {
    uint64_t size = 0;
    int err = 0;
    const UniqueHandle file = openRegularForReading(path, size, err);
    if (err) return err;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(maxBytes, size));
    std::string data(want, '\0');
    size_t got = 0;
    while (got < want) {
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(want - got, 1u << 30));
        if (!::ReadFile(file.get(), data.data() + got, ask, &n, nullptr)) return lastErrorAsErrno();
        if (n == 0) break;  // the file shrank meanwhile: what is there
        got += n;
    }
    data.resize(got);
    out = std::move(data);
    fileSize = size;
    return 0;
}

// The process's live environment (the C runtime's copy is taken once, when it starts).
std::optional<std::string> environmentValue(const std::string& name) {
    const std::wstring wide = toWide(name);
    if (wide.empty() || wide.find(L'=') != std::wstring::npos) return std::nullopt;
    std::vector<wchar_t> value(256);
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n = ::GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();  // set, and empty
        }
        if (n < value.size()) return fromWide(std::wstring_view(value.data(), n));
        value.resize(n);  // n counts the terminator when the buffer was too small
    }
}

bool pathExists(const std::string& path) {
    if (path.empty()) return false;
    int err = 0;
    return openForQuery(widePath(path), true, err).valid();
}

}  // namespace skimmer::os
