#include "panel/panel_items.h"

#include <cstring>

#include "os/utf8.h"

namespace skimmer::panel {

namespace {

FILETIME fileTime(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

PluginPanelItem blankItem() {
    PluginPanelItem item{};
    item.Flags = kPanelItemMark;
    return item;
}

}  // namespace

void CopyName(char* buffer, size_t size, const std::string& text) {
    const size_t n = os::utf8CutPoint(text, size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

PluginPanelItem MakePanelItem(const TFiles& node, TItemBlock& block) {
    PluginPanelItem item = blankItem();
    FAR_FIND_DATA& data = item.FindData;
    data.dwFileAttributes = IsDirectoryKind(node.Type) ? kAttributeDirectory : node.Item.Attributes;
    data.ftCreationTime = fileTime(node.Item.Created);
    data.ftLastAccessTime = fileTime(node.Item.Accessed);
    data.ftLastWriteTime = fileTime(node.Item.Modified);
    data.nFileSizeHigh = static_cast<DWORD>(node.Item.Size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(node.Item.Size & 0xFFFFFFFFu);
    CopyName(data.cFileName, sizeof data.cFileName, node.Name);
    CopyName(data.cAlternateFileName, sizeof data.cAlternateFileName, node.Item.AlternateName);
    block.descriptions.push_back(node.Desc);
    item.UserData = reinterpret_cast<DWORD_PTR>(&node);
    return item;
}

PluginPanelItem UpItem() {
    PluginPanelItem item = blankItem();
    item.FindData.dwFileAttributes = kAttributeDirectory;
    CopyName(item.FindData.cFileName, sizeof item.FindData.cFileName, "..");
    return item;
}

PluginPanelItem PlaceholderItem(const std::string& text) {
    PluginPanelItem item{};
    CopyName(item.FindData.cFileName, sizeof item.FindData.cFileName, text);
    CopyName(item.FindData.cAlternateFileName, sizeof item.FindData.cAlternateFileName, text);
    return item;
}

TItemBlock ChildItems(const TFiles& owner) {
    TItemBlock block;
    for (const TFiles* child = owner.Children.get(); child; child = child->Next.get())
        if (!child->Name.empty()) block.items.push_back(MakePanelItem(*child, block));
    // Descriptions are pointed at only now: the vector of texts no longer moves.
    for (size_t i = 0; i < block.items.size(); ++i) block.items[i].Description = block.descriptions[i].data();
    return block;
}

}  // namespace skimmer::panel
