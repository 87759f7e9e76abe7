#include "host/app/entry_items.h"

#include <algorithm>
#include <cstring>

namespace skimmer::host::app {

FILETIME farFileTime(int64_t unixSeconds) {
    const uint64_t ticks = static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

PluginPanelItem entryItem(const PanelEntry& e) {
    PluginPanelItem item{};
    item.FindData.dwFileAttributes = e.isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!e.name.empty() && e.name[0] == '.' && e.name != "..") item.FindData.dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
    item.FindData.ftLastWriteTime = farFileTime(e.mtime);
    item.FindData.ftCreationTime = item.FindData.ftLastWriteTime;
    item.FindData.ftLastAccessTime = item.FindData.ftLastWriteTime;
    item.FindData.nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
    item.FindData.nFileSizeLow = static_cast<DWORD>(e.size & 0xFFFFFFFFu);
    services::copyInfoString(item.FindData.cFileName, sizeof item.FindData.cFileName, e.name);
    item.NumberOfLinks = 1;
    return item;
}

std::vector<PluginPanelItem> entryItems(const PanelList& panel) {
    std::vector<PluginPanelItem> items;
    for (size_t i = 0; i < panel.entries().size(); ++i) {
        items.push_back(entryItem(panel.entries()[i]));
        if (panel.isSelected(static_cast<int>(i))) items.back().Flags |= PPIF_SELECTED;
    }
    return items;
}

}  // namespace skimmer::host::app
