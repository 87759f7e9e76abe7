// How many file descriptors this process holds now: tests take it before and after work that
// opens pipes or starts children, to show that nothing was left open.
#pragma once

#include <cstddef>
#include <filesystem>

namespace skimmer::test {

inline size_t openDescriptorCount() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

}  // namespace skimmer::test
