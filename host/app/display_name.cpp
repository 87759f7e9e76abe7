#include "host/app/display_name.h"

#include <cstdio>

#include "host/term/text_width.h"

namespace skimmer::host::app {

std::string displayName(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t pos = 0; pos < bytes.size();) {
        const term::Utf8Step step = term::decodeUtf8(bytes, pos);
        char escape[12];
        if (!step.valid) {
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(bytes[pos]));
            out += escape;
        } else if (term::isUnsafeForTerminal(step.cp)) {
            std::snprintf(escape, sizeof escape, step.cp < 0x100 ? "\\x%02X" : "\\u%04X", static_cast<unsigned>(step.cp));
            out += escape;
        } else {
            out.append(bytes.substr(pos, step.length));
        }
        pos += step.length;
    }
    return out;
}

}  // namespace skimmer::host::app
