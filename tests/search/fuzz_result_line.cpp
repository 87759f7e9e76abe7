// Fuzz target for the formatting of result lines: any name, settings text (columns and widths),
// typed text and window width must format without crashing, and the row must keep its promises:
// one colour per character in each array, marks only inside the text, and shortened texts of
// exactly the asked length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "results/text_trunc.h"
#include "search/line_format.h"
#include "search/path_compact.h"

namespace {

using namespace skimmer::results;
using namespace skimmer::search;

std::vector<std::string> fields(const char* begin, const char* end, size_t count) {
    std::vector<std::string> out(count);
    for (size_t i = 0; i < count && begin < end; ++i) {
        const char* cut = begin;
        while (cut < end && *cut != '\n') ++cut;
        out[i].assign(begin, cut);
        begin = cut < end ? cut + 1 : end;
    }
    return out;
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int width = static_cast<int8_t>(data[0]);
    const uint8_t flags = data[1];
    const char* text = reinterpret_cast<const char*>(data);
    const auto f = fields(text + 2, text + size, 5);

    static const std::vector<uint8_t> palette(112, 0x1B);
    TLineFormatContext context;
    context.Palette = &palette;
    context.WindowWidth = width;
    context.NameCells = width - 3;
    context.HighlightQuery = f[3];
    context.Dates.NoDateText = "-";
    context.Settings.Style = flags % 3;
    context.Settings.FullInfo = flags & 4;
    context.Settings.FIDontUse = flags & 8;
    context.Settings.ShowExtentions = flags & 16;
    context.Settings.ShowLnk = flags & 32;
    context.Settings.HighlightKeyword = flags & 64;
    context.Settings.WindowMode = (flags >> 6) % 3;
    context.Settings.FIColumns = f[1];
    context.Settings.FIWidths = f[2];

    TDynamicSearchResult node;
    node.Result.Name = f[0];
    node.Result.Target = f[4];
    node.Result.Size = static_cast<int32_t>(size) - 3;
    node.Result.IsGroupHeader = flags & 128 && flags & 1;
    node.Result.Kind = f[0];
    skimmer::dialogs::TListBoxExItem row;
    FormatLine(node, row, context);
    const size_t chars = CharCount(row.Text);
    for (const auto& attr : row.Attr) check(attr.size() == (chars == 0 ? 1 : chars));

    const size_t nameChars = CharCount(f[0]);
    const size_t max = width < 0 ? 0 : static_cast<size_t>(width);
    const size_t want = nameChars <= max ? nameChars : max;
    check(CharCount(TruncRight(f[0], width)) == want);
    check(CharCount(TruncMiddle(f[0], width)) == want);
    check(CharCount(CompactPath(f[4], width)) <= (CharCount(f[4]) <= max ? CharCount(f[4]) : max));
    return 0;
}
