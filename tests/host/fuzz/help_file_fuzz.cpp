// Feeds arbitrary bytes to the .hlf reader, then lays every topic out at a width taken from the
// input, and checks what must always hold: no crash, a parse or an error (never both, never
// neither), rows no wider than the window except verbatim ones (and a double-width character in a
// window one cell wide), links that point at rows that exist.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/term/text_width.h"
#include "host/ui/help_file.h"
#include "host/ui/help_layout.h"
#include "host/ui/help_reference.h"

using namespace skimmer::host::ui;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int width = 1 + data[0] % 120;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const HelpParse parsed = parseHelpFile(bytes);
    if (parsed.file.has_value() == !parsed.error.empty()) std::abort();
    if (!parsed.file) return 0;
    for (const auto& topic : parsed.file->topics) {
        bool verbatim = false;
        for (const auto& line : topic.body) verbatim |= line.verbatim;
        const HelpPage page = layoutHelpTopic(topic, width);
        for (const auto& row : page.body)
            if (!verbatim && skimmer::host::term::displayWidth(row.text()) > std::max(width, 2)) std::abort();
        for (const auto& link : page.links) {
            if (link.row < 0 || link.row >= static_cast<int>(page.body.size())) std::abort();
            (void)parseHelpReference(link.target);
        }
        (void)parsed.file->find(topic.name);
    }
    return 0;
}
