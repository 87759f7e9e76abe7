// The console size under Windows: a stream that is no console (the tests' output is a pipe or a
// file) gives none, as does a number that names no standard handle.
#include "os/console_size.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace skimmer::os {
namespace {

TEST(ConsoleSizeWin, NoneWithoutAConsoleScreenBuffer) {
    for (int stream : {-1, 3, 100}) EXPECT_FALSE(consoleSize(stream)) << stream;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    const bool console = ::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info);
    const auto size = consoleSize(1);
    ASSERT_EQ(size.has_value(), console);
    if (console) {
        EXPECT_EQ(size->width, info.dwSize.X);
        EXPECT_EQ(size->height, info.dwSize.Y);
    }
}

}  // namespace
}  // namespace skimmer::os
