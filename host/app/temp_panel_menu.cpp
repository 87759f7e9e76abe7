#include "host/app/temp_panel_menu.h"

#include <filesystem>

namespace skimmer::host::app {

TempMenuItem parseTempMenuLine(const std::string& line) {
    const size_t second = line.size() > 1 && line.front() == '|' ? line.find('|', 1) : std::string::npos;
    if (second == std::string::npos) return TempMenuItem{line, line};
    std::string text = line.substr(1, second - 1);
    if (text == "-") return TempMenuItem{.separator = true};
    return TempMenuItem{std::move(text), line.substr(second + 1)};
}

std::vector<TempMenuItem> tempMenuItems(const std::vector<std::string>& lines) {
    std::vector<TempMenuItem> items;
    items.reserve(lines.size());
    for (const std::string& line : lines) items.push_back(parseTempMenuLine(line));
    return items;
}

MenuOffer tempMenu(const std::string& listFile, const std::vector<TempMenuItem>& items) {
    MenuOffer menu{.title = std::filesystem::path(listFile).stem().string(), .entries = {}, .breakKeys = {}};
    for (const TempMenuItem& item : items)
        menu.entries.push_back(ui::MenuEntry{.text = item.text, .separator = item.separator});
    return menu;
}

}  // namespace skimmer::host::app
