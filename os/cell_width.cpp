#include "os/cell_width.h"

#include "os/utf8.h"

namespace skimmer::os {

size_t textCells(std::string_view text) {
    size_t cells = 0;
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        const size_t length = decodeUtf8(text, pos, cp);
        cells += length == 0 ? 1 : static_cast<size_t>(cellWidth(cp));
        pos += length == 0 ? 1 : length;
    }
    return cells;
}

}  // namespace skimmer::os
