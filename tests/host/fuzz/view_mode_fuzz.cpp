// A plug-in's view-mode texts over arbitrary bytes: no crash; what is kept reads back the same;
// a layout never gives more cells than there are, whatever the widths asked for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "host/app/view_mode.h"

using namespace skimmer::host::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t cut = bytes.find('\0');
    const std::string_view types = bytes.substr(0, cut);
    const std::string_view widths = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    const std::vector<ColumnSpec> columns = parseColumns(types, widths);
    const std::vector<ColumnSpec> again = parseColumns(columnTypesText(columns), columnWidthsText(columns));
    if (columnTypesText(again) != columnTypesText(columns) || columnWidthsText(again) != columnWidthsText(columns))
        std::abort();
    const int length = stripeLength(columns);
    if (columns.empty() ? length != 0 : (length <= 0 || columns.size() % static_cast<size_t>(length) != 0)) std::abort();
    for (int inner : {0, 1, 13, 38, 158}) {
        const std::vector<int> w = layoutColumns(columns, inner);
        int used = -1;
        for (int cells : w) {
            if (cells < 0 || cells > kMaxColumnWidth + inner) std::abort();
            used += cells > 0 ? cells + 1 : 0;
        }
        if (used > inner) std::abort();
    }
    return 0;
}
