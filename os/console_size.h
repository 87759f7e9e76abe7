// The size in character cells of the console a process draws on, asked of the system.
//
// Contract: none when the stream is not a console or terminal, or the system reports a zero size;
// never blocks, never changes the console. On Linux `stream` is a descriptor (TIOCGWINSZ); on
// Windows 0, 1 and 2 name the standard input, output and error handles, whose console screen
// buffer is asked (GetConsoleScreenBufferInfo), so a redirected C runtime descriptor never hides
// the console FAR draws on.
#pragma once

#include <cstdint>
#include <optional>

namespace skimmer::os {

struct ConsoleCells {
    int32_t width = 0;
    int32_t height = 0;
};

std::optional<ConsoleCells> consoleSize(int stream);

}  // namespace skimmer::os
