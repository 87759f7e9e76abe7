#include <sys/ioctl.h>

#include "platform/console.h"

namespace skimmer::platform {

std::optional<ConsoleSize> TerminalConsole::screenBufferSize() const {
    winsize size{};
    if (ioctl(fd_, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return std::nullopt;
    return ConsoleSize{size.ws_col, size.ws_row};
}

}  // namespace skimmer::platform
