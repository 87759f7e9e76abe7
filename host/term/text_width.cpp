// Display widths come from glibc's tables under a private UTF-8 locale (os/cell_width), so the
// process locale never matters; this file adds the host's drawing policy on top.
#include "host/term/text_width.h"

#include "os/cell_width.h"
#include "os/utf8.h"

namespace skimmer::host::term {
namespace {

bool isFormatHazard(char32_t cp) {
    return (cp >= 0x200B && cp <= 0x200F) ||  // zero-width space/joiners, LRM/RLM
           (cp >= 0x202A && cp <= 0x202E) ||  // bidi embeddings and overrides
           (cp >= 0x2060 && cp <= 0x2069) ||  // word joiner, invisible operators, bidi isolates
           cp == 0x061C || cp == 0xFEFF || (cp >= 0xFFF9 && cp <= 0xFFFB) ||
           (cp >= 0xE0000 && cp <= 0xE007F);  // tag characters
}

}  // namespace

Utf8Step decodeUtf8(std::string_view text, size_t pos) {
    char32_t cp = 0;
    const size_t length = os::decodeUtf8(text, pos, cp);
    if (length == 0) return {kPlaceholder, 1, false};
    return {cp, length, true};
}

void appendUtf8(std::string& out, char32_t cp) { os::appendUtf8(out, cp); }

bool isUnsafeForTerminal(char32_t cp) {
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) return true;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return true;
    if (cp < 0x7F) return false;
    // Unassigned and non-printable code points have no agreed width: never send them.
    return isFormatHazard(cp) || os::unicodeWidth(cp) < 0;
}

bool isCombining(char32_t cp) {
    return cp >= 0x300 && !isUnsafeForTerminal(cp) && os::unicodeWidth(cp) == 0;
}

int charWidth(char32_t cp) {
    if (cp < 0x7F || isUnsafeForTerminal(cp)) return 1;  // unsafe ones are drawn as the placeholder
    return os::unicodeWidth(cp);
}

int displayWidth(std::string_view utf8) {
    int total = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        const Utf8Step step = decodeUtf8(utf8, pos);
        pos += step.length;
        total += charWidth(step.cp);
    }
    return total;
}

}  // namespace skimmer::host::term
