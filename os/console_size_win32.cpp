#include "os/console_size.h"

#include <windows.h>

namespace skimmer::os {

namespace {

DWORD standardHandleOf(int stream) {
    switch (stream) {
        case 0: return STD_INPUT_HANDLE;
        case 2: return STD_ERROR_HANDLE;
        default: return STD_OUTPUT_HANDLE;
    }
}

}  // namespace

// The screen buffer, not the window: FAR 1.70 lays its screen out over the whole buffer, and the
// plug-in's windows are placed in the same coordinates. The standard handle is owned by the
// process, never closed here.
std::optional<ConsoleCells> consoleSize(int stream) {
    if (stream < 0 || stream > 2) return std::nullopt;
    const HANDLE handle = ::GetStdHandle(standardHandleOf(stream));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !::GetConsoleScreenBufferInfo(handle, &info))
        return std::nullopt;
    if (info.dwSize.X <= 0 || info.dwSize.Y <= 0) return std::nullopt;
    return ConsoleCells{info.dwSize.X, info.dwSize.Y};
}

}  // namespace skimmer::os
