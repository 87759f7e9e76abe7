#include "os/console_size.h"

#include <sys/ioctl.h>

namespace skimmer::os {

std::optional<ConsoleCells> consoleSize(int stream) {
    winsize size{};
    if (::ioctl(stream, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return std::nullopt;
    return ConsoleCells{size.ws_col, size.ws_row};
}

}  // namespace skimmer::os
