#include "host/ui/text_wrap.h"

#include <algorithm>

#include "host/term/text_width.h"

namespace skimmer::host::ui {

namespace {

// One character as drawn: a code point plus the combining marks that follow it.
struct Glyph {
    size_t begin, end;
    int width;
    bool blank;
};

std::vector<Glyph> glyphsOf(std::string_view text) {
    std::vector<Glyph> out;
    for (size_t pos = 0; pos < text.size();) {
        const term::Utf8Step step = term::decodeUtf8(text, pos);
        const int width = term::charWidth(step.cp);
        if (width == 0 && !out.empty()) {
            out.back().end = pos + step.length;
        } else {
            out.push_back({pos, pos + step.length, std::max(width, 1), step.cp == U' ' || step.cp == U'\t'});
        }
        pos += step.length;
    }
    return out;
}

}  // namespace

std::vector<std::string> wrapText(std::string_view line, int width) {
    width = std::max(width, 1);
    if (term::displayWidth(line) <= width) return {std::string(line)};
    const std::vector<Glyph> glyphs = glyphsOf(line);
    std::vector<std::string> out;
    size_t start = 0;
    while (start < glyphs.size()) {
        // Take as many glyphs as fit; then step back to the last blank inside, if there is one.
        size_t end = start;
        int used = 0;
        while (end < glyphs.size() && used + glyphs[end].width <= width) used += glyphs[end++].width;
        if (end == start) ++end;  // a glyph wider than the whole width still goes somewhere
        size_t cut = end;
        if (end < glyphs.size() && !glyphs[end].blank) {
            size_t blank = end;
            while (blank > start && !glyphs[blank - 1].blank) --blank;
            if (blank > start) cut = blank - 1;
        }
        size_t last = cut;
        while (last > start && glyphs[last - 1].blank) --last;  // no trailing blanks
        if (last > start) out.emplace_back(line.substr(glyphs[start].begin, glyphs[last - 1].end - glyphs[start].begin));
        start = cut;
        while (start < glyphs.size() && glyphs[start].blank) ++start;  // nor leading ones on the next
    }
    if (out.empty()) out.emplace_back();
    return out;
}

}  // namespace skimmer::host::ui
