// The locate output splitter on arbitrary bytes cut into arbitrary pieces: no crash, every line it
// gives is non-empty, holds no LF or NUL and fits the bound, and the pending text stays bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engines/locate_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t maxLine = 1 + data[0] % 64;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    skimmer::engines::LocateLineSplitter splitter(maxLine);
    auto check = [&](std::string_view line) {
        if (line.empty() || line.size() > maxLine || line.find('\n') != std::string_view::npos ||
            line.find('\0') != std::string_view::npos)
            std::abort();
    };
    size_t step = 1;
    while (!rest.empty()) {
        const size_t n = std::min(rest.size(), step);
        splitter.feed(rest.substr(0, n), check);
        if (splitter.pendingBytes() > maxLine) std::abort();
        rest.remove_prefix(n);
        step = step * 3 % 17 + 1;
    }
    splitter.finish(check);
    return 0;
}
