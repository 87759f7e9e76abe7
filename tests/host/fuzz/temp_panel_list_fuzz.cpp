// The temporary panel's list and command parsers over arbitrary bytes: no crash, and every path
// a line can hold (no LF, not ending in CR, not empty) comes back exactly after a write as lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/app/temp_panel_list.h"

using namespace skimmer::host::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = parseTempPanelList(bytes);
    size_t total = 0;
    for (const std::string& line : lines) {
        if (line.empty() || line.find('\n') != std::string::npos) std::abort();
        total += line.size();
    }
    if (total > size) std::abort();

    // The input as zero-separated paths, written the way the list file is written.
    std::vector<std::string> paths;
    std::string written;
    for (size_t start = 0; start <= size;) {
        size_t end = bytes.find('\0', start);
        if (end == std::string_view::npos) end = size;
        const std::string path(bytes.substr(start, end - start));
        if (!path.empty() && path.find('\n') == std::string::npos && path.back() != '\r') {
            paths.push_back(path);
            written += path + "\n";
        }
        start = end + 1;
    }
    if (parseTempPanelList(written) != paths) std::abort();

    std::string error;
    const auto command = tempPanelCommand(bytes, "tmp", error);
    // The list file is what follows the options, never starting with the blanks that part them
    // (only a name in double quotes may keep blanks of its own).
    if (command && error.empty() && !command->listFile.empty() && bytes.find('"') == std::string_view::npos &&
        (command->listFile.front() == ' ' || command->listFile.front() == '\t'))
        std::abort();
    return 0;
}
