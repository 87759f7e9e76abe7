#include "host/app/key_bar.h"

#include <algorithm>

namespace skimmer::host::app {
namespace {
constexpr term::Attr kKeyBarNum = 0x07, kKeyBarText = 0x30, kKeyBarBackground = 0x07;
}

void drawKeyBar(term::CellBuffer& screen, int y, const KeyBarLabels& labels) {
    if (y < 0 || y >= screen.height()) return;
    const int width = screen.width();
    screen.fill(0, y, width - 1, y, U' ', kKeyBarBackground);
    // Ten slots when the screen is narrow, twelve when each still gets a few columns.
    const int slots = width >= 12 * 6 ? 12 : 10;
    const int slotWidth = std::max(1, width / slots);
    for (int i = 0; i < slots; ++i) {
        const int x = i * slotWidth;
        if (x >= width) break;
        const std::string number = std::to_string(i + 1);
        const int end = i + 1 == slots ? width : x + slotWidth;
        const int textX = screen.put(x, y, number, kKeyBarNum, end);
        screen.fill(textX, y, end - 1, y, U' ', kKeyBarText);
        screen.put(textX, y, labels[static_cast<size_t>(i)], kKeyBarText, end);
    }
}

}  // namespace skimmer::host::app
