// The shell-link reader on arbitrary bytes: no crash, no read outside the input, and a target
// (when one is found) is never longer than what the input could hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "os/shell_link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string why;
    const auto link = skimmer::os::parseShellLink(std::string_view(reinterpret_cast<const char*>(data), size), why);
    // UTF-16 → UTF-8 at most triples the bytes; an ANSI target and a suffix are each in the input.
    if (link && link->path.size() > 3 * size) std::abort();
    if (!link && why.empty()) std::abort();
    return 0;
}
