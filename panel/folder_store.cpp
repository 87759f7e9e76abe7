#include "panel/folder_store.h"

#include <map>
#include <set>
#include <unordered_set>
#include <vector>

#include "config/registry_primitives.h"
#include "os/hive_tree.h"

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
    // The names already in the list: a level of thousands is not searched once per sibling.
    std::unordered_set<std::string> taken;
    taken.reserve(names.size());
    for (const std::string& name : names) {
        const std::string keyPath = path + "\\" + name;
        auto key = registry.openKey(keyPath);
        if (!key) continue;
        auto node = loadNode(*key, name);
        key.reset();
        node->Children = loadLevel(registry, keyPath);
        if (taken.count(node->Name)) node->Name = UniqueSiblingName(head.get(), nullptr, node->Name);
        taken.insert(node->Name);
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
    std::set<std::string> taken;  // folded as the hive compares key names
    std::vector<size_t> generated;
    for (const TFiles* n = head; n; n = n->Next.get()) {
        if (!stored(*n)) continue;
        const bool plain = n->Name.find('\\') == std::string::npos && n->Name[0] != '#' &&
                           taken.insert(os::foldName(n->Name)).second;
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

// Writes the values that differ from what the key holds: a save after one change touches one
// value, and the batch that carries it stays small.
class ValueWriter {
public:
    explicit ValueWriter(platform::RegistryKey& key) : key_(key) {}
    void time(std::string_view name, uint64_t ticks) {
        const std::string bytes = timeBytes(ticks);
        if (key_.readBinary(name) != bytes) ok_ = key_.writeBinary(name, bytes) && ok_;
    }
    void text(std::string_view name, const std::string& text) {
        if (key_.readString(name) != text) ok_ = key_.writeString(name, text) && ok_;
    }
    void dword(std::string_view name, uint32_t value) {
        if (key_.readDword(name) != value) ok_ = key_.writeDword(name, value) && ok_;
    }
    bool ok() const { return ok_; }

private:
    platform::RegistryKey& key_;
    bool ok_ = true;
};

bool writeNode(platform::RegistryKey& key, const TFiles& node, bool nameValue) {
    ValueWriter w(key);
    w.time("Created", node.Item.Created);
    w.time("Modified", node.Item.Modified);
    w.time("Accessed", node.Item.Accessed);
    w.text("Desc", node.Desc);
    w.dword("GroupsAsFolders", node.GroupsAsFolders ? 1 : 0);
    w.text("AQS", node.AQS);
    w.text("query", node.query);
    w.dword("Advanced", node.Advanced ? 1 : 0);
    w.text("Max", node.Max);
    w.dword("Type", static_cast<uint32_t>(node.Type));
    // A key that already carries a name keeps it right, whatever its key name says.
    if (nameValue || key.readString(kNameValue)) w.text(kNameValue, node.Name);
    return w.ok();
}

// Makes the subkeys of `path` exactly the stored nodes of the list at `head` (null: none), to any
// depth: keys of nodes that are gone are removed, the rest are written where they differ.
bool writeLevel(platform::RegistryAccess& registry, const std::string& path, const TFiles* head) {
    const auto names = keyNames(head);
    std::set<std::string> kept;
    for (const auto& entry : names) kept.insert(os::foldName(entry.second));
    std::map<std::string, std::string> spelled;  // folded key name -> the existing key's spelling
    if (auto key = registry.openKey(path)) {
        for (const std::string& old : key->subkeys()) {
            if (!kept.count(os::foldName(old)) && !registry.deleteTree(path + "\\" + old)) return false;
            spelled.emplace(os::foldName(old), old);
        }
    }
    for (const auto& [node, keyName] : names) {
        const std::string keyPath = path + "\\" + keyName;
        auto key = registry.createKey(keyPath);
        // An existing key keeps its first spelling ("Docs" written as "docs"): then the name travels
        // in the Name value too.
        const auto existing = spelled.find(os::foldName(keyName));
        const bool respelled = existing != spelled.end() && existing->second != keyName;
        if (!key || !writeNode(*key, *node, keyName != node->Name || respelled)) return false;
        key.reset();
        if (!writeLevel(registry, keyPath, node->Children.get())) return false;
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
    // One consistent view of the registry for the whole walk; nothing is written.
    auto batch = registry->beginBatch();
    tree.PanelRoot = loadLevel(*registry, path);
}

platform::RegistryCommit SaveFolderTree(const TFolderTree& tree, platform::RegistryAccess* registry,
                                        std::string_view pluginsRootKey) {
    if (!registry) return {false, "there is no registry to keep the search folders in"};
    const std::string path = FolderTreeKey(pluginsRootKey);
    auto batch = registry->beginBatch();
    if (!registry->createKey(path) || !writeLevel(*registry, path, tree.PanelRoot.get()))
        return {false, "the search folders could not be written to the registry"};  // the batch is discarded
    return batch->commit();
}

}  // namespace skimmer::panel
