#include "os/console_size.h"
#include "platform/console.h"

namespace skimmer::platform {

std::optional<ConsoleSize> TerminalConsole::screenBufferSize() const {
    const std::optional<os::ConsoleCells> cells = os::consoleSize(fd_);
    if (!cells) return std::nullopt;
    return ConsoleSize{cells->width, cells->height};
}

}  // namespace skimmer::platform
