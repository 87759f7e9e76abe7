#include "panel/folder_store.h"

#include <set>
#include <vector>

#include "config/registry_primitives.h"
#include "os/utf8.h"

namespace skimmer::panel {

namespace {

std::string timeBytes(uint64_t ticks) {
    std::string bytes(kTimeValueBytes, '\0');
    for (size_t i = 0; i < kTimeValueBytes; ++i) bytes[i] = static_cast<char>((ticks >> (8 * i)) & 0xFF);
    return bytes;
}

uint64_t readTime(const platform::RegistryKey& key, std::string_view name) {
    const auto bytes = key.readBinary(name);
    if (!bytes || bytes->size() != kTimeValueBytes) return 0;
    uint64_t ticks = 0;
    for (size_t i = 0; i < kTimeValueBytes; ++i) ticks |= uint64_t{static_cast<unsigned char>((*bytes)[i])} << (8 * i);
    return ticks;
}

std::unique_ptr<TFiles> loadNode(const platform::RegistryKey& key, const std::string& keyName) {
    auto node = std::make_unique<TFiles>();
    const auto stored = key.readString(kNameValue);
    node->Name = FitNodeName(stored && !stored->empty() ? *stored : keyName);
    node->Desc = key.readString("Desc").value_or("");
    node->AQS = key.readString("AQS").value_or("");
    node->query = key.readString("query").value_or("");
    node->Max = key.readString("Max").value_or("");
    node->Advanced = key.readDword("Advanced").value_or(0) != 0;
    node->GroupsAsFolders = key.readDword("GroupsAsFolders").value_or(0) != 0;
    node->Type = static_cast<int32_t>(key.readDword("Type").value_or(0));
    node->Item.Created = readTime(key, "Created");
    node->Item.Modified = readTime(key, "Modified");
    node->Item.Accessed = readTime(key, "Accessed");
    node->Item.Flags = kPanelItemMark;
    return node;
}

std::unique_ptr<TFiles> loadLevel(platform::RegistryAccess& registry, const std::string& path) {
    std::vector<std::string> names;
    if (auto key = registry.openKey(path)) names = key->subkeys();
    std::unique_ptr<TFiles> head;
    TFiles* last = nullptr;
    for (const std::string& name : names) {
        const std::string keyPath = path + "\\" + name;
        auto key = registry.openKey(keyPath);
        if (!key) continue;
        auto node = loadNode(*key, name);
        key.reset();
        node->Children = loadLevel(registry, keyPath);
        node->Name = UniqueSiblingName(head.get(), nullptr, node->Name);
        TFiles* added = node.get();
        (last ? last->Next : head) = std::move(node);
        last = added;
    }
    return head;
}

bool stored(const TFiles& node) { return node.Type != kTypeHit && !node.Name.empty(); }

// The key name of each stored node of a level: its own name where that can be a key name no
// sibling's key already takes, otherwise "#<n>".
std::vector<std::pair<const TFiles*, std::string>> keyNames(const TFiles* head) {
    std::vector<std::pair<const TFiles*, std::string>> out;
    std::set<std::string> taken;  // ASCII-lower-cased, as key names compare
    std::vector<size_t> generated;
    for (const TFiles* n = head; n; n = n->Next.get()) {
        if (!stored(*n)) continue;
        const bool plain = n->Name.find('\\') == std::string::npos && n->Name[0] != '#' &&
                           taken.insert(os::asciiLower(n->Name)).second;
        out.emplace_back(n, plain ? n->Name : std::string());
        if (!plain) generated.push_back(out.size() - 1);
    }
    size_t counter = 1;
    for (size_t index : generated) {
        std::string name;
        do name = "#" + std::to_string(counter++);
        while (!taken.insert(name).second);
        out[index].second = name;
    }
    return out;
}

bool writeNode(platform::RegistryKey& key, const TFiles& node, bool nameValue) {
    bool ok = key.writeBinary("Created", timeBytes(node.Item.Created));
    ok = key.writeBinary("Modified", timeBytes(node.Item.Modified)) && ok;
    ok = key.writeBinary("Accessed", timeBytes(node.Item.Accessed)) && ok;
    ok = key.writeString("Desc", node.Desc) && ok;
    ok = key.writeDword("GroupsAsFolders", node.GroupsAsFolders ? 1 : 0) && ok;
    ok = key.writeString("AQS", node.AQS) && ok;
    ok = key.writeString("query", node.query) && ok;
    ok = key.writeDword("Advanced", node.Advanced ? 1 : 0) && ok;
    ok = key.writeString("Max", node.Max) && ok;
    ok = key.writeDword("Type", static_cast<uint32_t>(node.Type)) && ok;
    if (nameValue) ok = key.writeString(kNameValue, node.Name) && ok;
    return ok;
}

bool writeLevel(platform::RegistryAccess& registry, const std::string& path, const TFiles* head) {
    for (const auto& [node, keyName] : keyNames(head)) {
        const std::string keyPath = path + "\\" + keyName;
        auto key = registry.createKey(keyPath);
        if (!key || !writeNode(*key, *node, keyName != node->Name)) return false;
        key.reset();
        if (node->Children && !writeLevel(registry, keyPath, node->Children.get())) return false;
    }
    return true;
}

}  // namespace

std::string FolderTreeKey(std::string_view pluginsRootKey) {
    return platform::joinKeyPath(platform::joinKeyPath(pluginsRootKey, config::kSettingsKeyName), kTreeKeyName);
}

void LoadFolderTree(TFolderTree& tree, platform::RegistryAccess* registry, std::string_view pluginsRootKey) {
    tree.PanelRoot.reset();
    if (!registry) return;
    const std::string path = FolderTreeKey(pluginsRootKey);
    if (!registry->openKey(path)) return;
    tree.PanelRoot = loadLevel(*registry, path);
}

platform::RegistryCommit SaveFolderTree(const TFolderTree& tree, platform::RegistryAccess* registry,
                                        std::string_view pluginsRootKey) {
    if (!registry) return {false, "there is no registry to keep the search folders in"};
    const std::string path = FolderTreeKey(pluginsRootKey);
    auto batch = registry->beginBatch();
    if (registry->openKey(path) && !registry->deleteTree(path))
        return {false, "the stored search folders could not be replaced"};
    if (!registry->createKey(path) || !writeLevel(*registry, path, tree.PanelRoot.get()))
        return {false, "the search folders could not be written to the registry"};  // the batch is discarded
    return batch->commit();
}

}  // namespace skimmer::panel
