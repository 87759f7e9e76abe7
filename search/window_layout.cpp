#include "search/window_layout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>

#include "config/catalogue.h"
#include "dialogs/list_box_ex_draw.h"
#include "os/cell_width.h"
#include "os/utf8.h"

namespace skimmer::search {

namespace {

// A whole decimal number, blanks around it allowed; `fallback` for anything else.
int32_t parseNumber(const std::string& text, int32_t fallback) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end && begin != end ? value : fallback;
}

// The sum of the comma-separated column widths; entries that are not numbers count 0.
int32_t widthsSum(const std::string& widths) {
    int32_t sum = 0;
    size_t start = 0;
    while (start <= widths.size()) {
        size_t comma = widths.find(',', start);
        if (comma == std::string::npos) comma = widths.size();
        const int32_t width = parseNumber(widths.substr(start, comma - start), 0);
        if (width > 0) sum += std::min(width, kMaxContentWidth);
        start = comma + 1;
    }
    return sum;
}

int32_t contentWidth(const WindowSettings& s, const ConsoleState& console) {
    if (!s.FullInfo) return s.ShowExtentions ? 54 : 50;
    if (s.FIDontUse) return 78;
    int32_t width = widthsSum(s.FIWidths) + 3;
    width = std::min(width, console.Width - 3 - (s.PositionW ? console.CursorX : 0));
    return std::min(width, kMaxContentWidth);
}

FarDialogItem item(int type, int x1, int y1, int x2, int y2, const std::string& text = {}, DWORD flags = 0) {
    FarDialogItem result{};
    result.Type = type;
    result.X1 = x1;
    result.Y1 = y1;
    result.X2 = x2;
    result.Y2 = y2;
    result.Flags = flags;
    const size_t n = std::min(text.size(), sizeof(result.Data) - 1);
    std::memcpy(result.Data, text.data(), n);
    return result;
}

// The visible length of a button text: its hot-key ampersand takes no cell.
int32_t buttonTextCells(const std::string& text) {
    std::string shown = text;
    std::erase(shown, '&');
    return static_cast<int32_t>(std::min<size_t>(os::textCells(shown), INT32_MAX));
}

uint8_t paletteAt(const std::vector<uint8_t>& palette, size_t index) {
    return index < palette.size() ? palette[index] : 0;
}

uint32_t pack(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return uint32_t{b0} | uint32_t{b1} << 8 | uint32_t{b2} << 16 | uint32_t{b3} << 24;
}

uint8_t backgroundFor(const WindowSettings& s, const std::vector<uint8_t>& palette) {
    switch (s.Style) {
        case 0: return 0xF0;
        case 1: return paletteAt(palette, 66);
        default: return paletteAt(palette, 23);
    }
}

// The list's columns inside the window: the glued layouts give it the whole width (less the single
// box's sides), the centred one sits inside the double box's margins.
struct ListColumns {
    int X1, X2;
};
ListColumns listColumns(const WindowSettings& s, int W) {
    if (!s.PositionW) return {4, W - 5};
    return s.Style == 1 ? ListColumns{1, W - 2} : ListColumns{0, W - 1};
}

}  // namespace

WindowSettings readWindowSettings(const config::TRegistryConfig& config) {
    namespace setting = config::setting;
    WindowSettings s;
    s.WindowMode = setting::kWindowMode.read(config);
    s.Style = setting::kStyle.read(config);
    s.PositionW = setting::kPositionW.read(config);
    s.HideButtons = setting::kHideButtons.read(config);
    s.FullInfo = setting::kFullInfo.read(config);
    s.FIDontUse = setting::kFIDontUse.read(config);
    s.ShowExtentions = setting::kShowExtentions.read(config);
    s.Animation = setting::kWindowAnimation.read(config);
    s.AllResults = setting::kAllResults.read(config);
    s.FIWidths = setting::kFIWidths.read(config);
    s.WindowWidth = setting::kWindowWidth.read(config);
    s.WindowHeight = setting::kWindowHeight.read(config);
    return s;
}

WindowSize windowSize(const WindowSettings& s, const ConsoleState& console, int32_t keptLines) {
    WindowSize size;
    switch (s.WindowMode) {
        case 1:
            size.W = console.Width - 3 - (s.PositionW ? console.CursorX : 0);
            size.H = console.Height - 5;
            break;
        case 2:
            size.W = parseNumber(s.WindowWidth, 50);
            size.H = parseNumber(s.WindowHeight, 23);
            break;
        default:
            size.W = contentWidth(s, console);
            size.H = console.Height - 5;
            break;
    }
    if (s.PositionW) size.H += 3;
    if (s.growing()) size.H = keptLines >= 0 ? std::min(keptLines + 3, console.Height - 3) : 3;
    // Inside the console whatever the settings say: a window the host cannot place helps nobody.
    const int32_t maxW = std::max(console.Width, 1);
    size.W = std::clamp(size.W, std::min(kMinWindowWidth, maxW), maxW);
    const int32_t maxH = std::max(console.Height - 1, 1);
    size.H = std::clamp(size.H, std::min(s.growing() ? 3 : kMinWindowHeight, maxH), maxH);
    return size;
}

WindowPlace windowPlace(const WindowSettings& s, const ConsoleState& console, const WindowSize& size) {
    if (!s.PositionW) return {};
    WindowPlace place;
    const auto textCells = static_cast<int32_t>(std::min<size_t>(os::textCells(console.CommandLineText), INT32_MAX));
    place.X = console.CursorX - textCells - (s.Style == 1 ? 1 : 0);
    place.X = std::clamp(place.X, 0, std::max(console.Width - size.W, 0));
    place.Y = std::max(console.Height - size.H - 1, 0);
    return place;
}

int32_t commandLineCursorX(std::string_view panelDir, std::string_view commandLine, int32_t cursorChars,
                           int32_t consoleWidth) {
    const size_t before = os::utf8CharacterOffset(commandLine, static_cast<size_t>(std::max(cursorChars, 0)));
    const size_t cells = os::textCells(panelDir) + 1 + os::textCells(commandLine.substr(0, before));
    return static_cast<int32_t>(std::min<size_t>(cells, static_cast<size_t>(std::max(consoleWidth - 1, 0))));
}

int32_t listTextCells(const WindowSettings& s, const WindowSize& size) {
    const ListColumns list = listColumns(s, size.W);
    return std::max(list.X2 - list.X1 + 1 - dialogs::kLbxMargin - 1, 0);
}

std::vector<FarDialogItem> windowItems(const WindowSettings& s, const WindowSize& size,
                                       const std::vector<std::string>& buttonTexts, const std::string& title) {
    const int W = size.W, H = size.H;
    std::vector<FarDialogItem> items;
    if (s.PositionW) {
        const bool single = s.Style == 1;
        items.push_back(single ? item(DI_SINGLEBOX, 0, 0, W - 1, H - 1, title) : item(DI_DOUBLEBOX, 0, 0, W - 1, 0, title));
        items.push_back(item(DI_EDIT, single ? 1 : 0, H - 1, single ? W - 2 : W - 1, H - 1));
        const ListColumns list = listColumns(s, W);
        items.push_back(item(DI_USERCONTROL, list.X1, 1, list.X2, H - 3));
        if (single) items.push_back(item(DI_TEXT, 1, H - 1, 1, H - 1));
        items[kItemEdit].Focus = 1;
        return items;
    }
    const int B = s.HideButtons ? 0 : 2;
    items.push_back(item(DI_DOUBLEBOX, 3, 1, W - 4, H - 2, title));
    items.push_back(item(DI_EDIT, 4, H - 3 - B, W - 5, H - 3 - B));
    const ListColumns list = listColumns(s, W);
    items.push_back(item(DI_USERCONTROL, list.X1, 2, list.X2, H - 5 - B));
    // Centred over the list's width: a text item draws no further than its X2.
    items.push_back(item(DI_TEXT, 4, H - 4 - B, W - 5, H - 4 - B, {}, DIF_CENTERTEXT));
    items[kItemEdit].Focus = 1;
    if (s.HideButtons) return items;
    // From column 5, a cell between buttons; a narrow window drops the gaps and then the first
    // column of margin before a button would reach past the frame.
    std::array<std::string, 5> texts;
    int row = 0;
    for (int i = 0; i < 5; ++i) {
        if (i < static_cast<int>(buttonTexts.size())) texts[i] = buttonTexts[i];
        row += buttonTextCells(texts[i]) + 4;
    }
    const int innerRight = W - 5;
    const int gap = 5 + row + 4 - 1 <= innerRight ? 1 : 0;
    int x = 5 + row - 1 <= innerRight || gap ? 5 : 4;
    for (const std::string& text : texts) {
        const int width = buttonTextCells(text) + 4;
        items.push_back(item(DI_BUTTON, x, H - 3, x + width - 1, H - 3, text, DIF_BTNNOCLOSE));
        x += width + gap;
    }
    items.push_back(item(DI_TEXT, 3, H - 4, W - 4, H - 4, {}, DIF_SEPARATOR));
    return items;
}

int32_t grownHeight(const WindowSettings& s, int32_t currentH, int32_t lineCount, int32_t consoleHeight,
                    bool forceResize) {
    if (!s.growing()) return -1;
    if (currentH == lineCount + 2 && lineCount >= consoleHeight - 4 && !forceResize) return -1;
    const int32_t height = std::max(std::min(lineCount + 3, consoleHeight - 4), 3);
    return height == currentH && !forceResize ? -1 : height;
}

std::vector<GrownItem> grownItems(const WindowSettings& s, const WindowSize& size) {
    const int W = size.W, H = size.H;
    const bool single = s.Style == 1;
    std::vector<GrownItem> items;
    items.push_back(single ? GrownItem{DI_SINGLEBOX, 0, 0, W - 1, H - 1} : GrownItem{DI_DOUBLEBOX, 0, 0, W - 1, 0});
    items.push_back({DI_EDIT, single ? 1 : 0, H - 1, single ? W - 2 : W - 1, H - 1});
    const ListColumns list = listColumns(s, W);
    items.push_back({DI_USERCONTROL, list.X1, 1, list.X2, H - 2});
    if (single) items.push_back({DI_TEXT, 1, H - 1, 1, H - 1});
    return items;
}

std::string counterText(const WindowSettings& s, const std::string& hitsWord, int32_t hitCount) {
    std::string text = " " + hitsWord + std::to_string(hitCount);
    text = s.PositionW ? "Skimmer /" + text : text + " ";
    if (!s.AllResults) text += " *";
    return text;
}

int counterItem(const WindowSettings& s) { return s.PositionW ? kItemFrame : kItemCounter; }

uint32_t dialogColor(const WindowSettings& s, const std::vector<uint8_t>& palette, uint32_t) {
    return backgroundFor(s, palette);
}

uint32_t itemColors(const WindowSettings& s, const std::vector<uint8_t>& palette, int item, bool focused,
                    uint32_t proposed) {
    auto at = [&palette](size_t i) { return paletteAt(palette, i); };
    if (item == kItemFrame || item == kItemCounter || item == kItemSeparator) {
        const uint8_t b = backgroundFor(s, palette);
        return pack(b, b, b, b);
    }
    if (item == kItemEdit) {
        if (s.PositionW) return pack(at(48), at(69), at(48), at(21));
        if (s.Style == 0) return pack(0xF0, 0x0F, 0xF0, 0xF0);
        return pack(at(26), at(68), at(77), at(63));
    }
    if (item >= kItemFirstButton && item <= kItemLastButton && s.Style != 2) {
        uint8_t text = 0, highlight = 0;
        if (s.Style == 0) {
            text = focused ? 0x0F : 0xF0;
            highlight = focused ? 0x04 : 0xF4;
        } else {
            text = focused ? at(14) : at(10);
            highlight = focused ? at(15) : at(18);
        }
        return (proposed & 0xFFFF0000u) | pack(text, highlight, 0, 0);
    }
    return proposed;
}

}  // namespace skimmer::search
