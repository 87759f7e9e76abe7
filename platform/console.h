// The console the search window opens in: the size of its screen buffer in character cells.
// Contract: a seam — the plug-in asks this interface, never the terminal directly, so tests can
// present any size or a failure. TerminalConsole asks the system through os::consoleSize (the
// terminal on a descriptor on Linux, the standard handle's console screen buffer on Windows); it
// reports none when there is no console there or it reports a zero size.
#pragma once

#include <cstdint>
#include <optional>

namespace skimmer::platform {

struct ConsoleSize {
    int32_t width = 0;
    int32_t height = 0;
};

class Console {
public:
    virtual ~Console() = default;
    virtual std::optional<ConsoleSize> screenBufferSize() const = 0;
};

class TerminalConsole : public Console {
public:
    explicit TerminalConsole(int fd = 1) : fd_(fd) {}  // standard output, where the host draws
    // (on Windows 0, 1, 2 name the standard handles, see os/console_size.h)
    std::optional<ConsoleSize> screenBufferSize() const override;

private:
    int fd_;
};

}  // namespace skimmer::platform
