#include "panel/folder_store.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>
#include <vector>

#include "config/registry_primitives.h"
#include "os/hive_tree.h"
#include "os/utf8.h"

namespace skimmer::panel {

namespace {

std::string timeBytes(uint64_t ticks) {
    std::string bytes(kTimeValueBytes, '\0');
    for (size_t i = 0; i < kTimeValueBytes; ++i) bytes[i] = static_cast<char>((ticks >> (8 * i)) & 0xFF);
    return bytes;
}

uint64_t ticksOf(const std::optional<std::string>& bytes) {
    if (!bytes || bytes->size() != kTimeValueBytes) return 0;
    uint64_t ticks = 0;
    for (size_t i = 0; i < kTimeValueBytes; ++i) ticks |= uint64_t{static_cast<unsigned char>((*bytes)[i])} << (8 * i);
    return ticks;
}

uint32_t dwordOf(std::string_view bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return value;
}

// A node's values as its key holds them, found in one pass over the key; a value that is missing
// or of another type is none.
struct StoredValues {
    std::optional<std::string> name, desc, aqs, query, max;
    std::optional<uint32_t> groupsAsFolders, advanced, type;
    std::optional<std::string> created, modified, accessed;  // the raw bytes
};

// Value names compare as the registry compares them; most pairs already differ in length.
bool sameName(std::string_view a, std::string_view b) { return a.size() == b.size() && os::equalsAsciiCaseless(a, b); }

StoredValues readStored(const platform::RegistryKey& key) {
    using platform::RegistryValueType;
    StoredValues s;
    const struct {
        std::string_view name;
        std::optional<std::string> StoredValues::*field;
        RegistryValueType type;
    } bytes[] = {{kNameValue, &StoredValues::name, RegistryValueType::String},
                 {"Desc", &StoredValues::desc, RegistryValueType::String},
                 {"AQS", &StoredValues::aqs, RegistryValueType::String},
                 {"query", &StoredValues::query, RegistryValueType::String},
                 {"Max", &StoredValues::max, RegistryValueType::String},
                 {"Created", &StoredValues::created, RegistryValueType::Binary},
                 {"Modified", &StoredValues::modified, RegistryValueType::Binary},
                 {"Accessed", &StoredValues::accessed, RegistryValueType::Binary}};
    const struct {
        std::string_view name;
        std::optional<uint32_t> StoredValues::*field;
    } dwords[] = {{"GroupsAsFolders", &StoredValues::groupsAsFolders},
                  {"Advanced", &StoredValues::advanced},
                  {"Type", &StoredValues::type}};
    key.readValues([&](const platform::RegistryValue& v) {
        if (v.type == RegistryValueType::Dword) {
            for (const auto& d : dwords)
                if (v.data.size() == 4 && sameName(v.name, d.name)) s.*d.field = dwordOf(v.data);
            return;
        }
        for (const auto& b : bytes)
            if (v.type == b.type && sameName(v.name, b.name)) s.*b.field = std::string(v.data);
    });
    return s;
}

std::unique_ptr<TFiles> loadNode(const platform::RegistryKey& key, const std::string& keyName) {
    StoredValues s = readStored(key);
    auto node = std::make_unique<TFiles>();
    node->Name = FitNodeName(s.name && !s.name->empty() ? *s.name : keyName);
    node->Desc = std::move(s.desc).value_or("");
    node->AQS = std::move(s.aqs).value_or("");
    node->query = std::move(s.query).value_or("");
    node->Max = std::move(s.max).value_or("");
    node->Advanced = s.advanced.value_or(0) != 0;
    node->GroupsAsFolders = s.groupsAsFolders.value_or(0) != 0;
    node->Type = static_cast<int32_t>(s.type.value_or(0));
    node->Item.Created = ticksOf(s.created);
    node->Item.Modified = ticksOf(s.modified);
    node->Item.Accessed = ticksOf(s.accessed);
    node->Item.Flags = kPanelItemMark;
    return node;
}

// Gives every sibling after the first of a name a name of its own (" (2)", " (3)"...). Keys of one
// level differ, so only names taken from "Name" values can repeat; the common level without
// repeats costs one sort of its names.
void renameRepeatedNames(TFiles* head) {
    std::vector<std::string_view> names;
    for (const TFiles* n = head; n; n = n->Next.get()) names.push_back(n->Name);
    std::sort(names.begin(), names.end());
    if (std::adjacent_find(names.begin(), names.end()) == names.end()) return;
    std::unordered_set<std::string> taken;  // the names of the list so far, a level of thousands
    for (TFiles* n = head; n; n = n->Next.get()) {
        if (taken.count(n->Name)) n->Name = UniqueSiblingName(head, n, n->Name);
        taken.insert(n->Name);
    }
}

// The nodes of the subkeys `names` of `path`, each with its own subtree.
std::unique_ptr<TFiles> loadLevel(platform::RegistryAccess& registry, const std::string& path,
                                  const std::vector<std::string>& names) {
    std::unique_ptr<TFiles> head;
    TFiles* last = nullptr;
    for (const std::string& name : names) {
        const std::string keyPath = path + "\\" + name;
        auto key = registry.openKey(keyPath);
        if (!key) continue;
        auto node = loadNode(*key, name);
        const std::vector<std::string> children = key->subkeys();
        key.reset();
        if (!children.empty()) node->Children = loadLevel(registry, keyPath, children);
        TFiles* added = node.get();
        (last ? last->Next : head) = std::move(node);
        last = added;
    }
    renameRepeatedNames(head.get());
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

// Writes the values that differ from what the key holds (read once, before the first write): a
// save after one change touches one value, and the batch that carries it stays small.
class ValueWriter {
public:
    ValueWriter(platform::RegistryKey& key, const StoredValues& stored) : key_(key), stored_(stored) {}
    void time(std::string_view name, std::optional<std::string> StoredValues::*field, uint64_t ticks) {
        const std::string bytes = timeBytes(ticks);
        if (stored_.*field != bytes) ok_ = key_.writeBinary(name, bytes) && ok_;
    }
    void text(std::string_view name, std::optional<std::string> StoredValues::*field, const std::string& text) {
        if (stored_.*field != text) ok_ = key_.writeString(name, text) && ok_;
    }
    void dword(std::string_view name, std::optional<uint32_t> StoredValues::*field, uint32_t value) {
        if (stored_.*field != value) ok_ = key_.writeDword(name, value) && ok_;
    }
    bool ok() const { return ok_; }

private:
    platform::RegistryKey& key_;
    const StoredValues& stored_;
    bool ok_ = true;
};

bool writeNode(platform::RegistryKey& key, const TFiles& node, bool nameValue) {
    using S = StoredValues;
    const StoredValues stored = readStored(key);
    ValueWriter w(key, stored);
    w.time("Created", &S::created, node.Item.Created);
    w.time("Modified", &S::modified, node.Item.Modified);
    w.time("Accessed", &S::accessed, node.Item.Accessed);
    w.text("Desc", &S::desc, node.Desc);
    w.dword("GroupsAsFolders", &S::groupsAsFolders, node.GroupsAsFolders ? 1 : 0);
    w.text("AQS", &S::aqs, node.AQS);
    w.text("query", &S::query, node.query);
    w.dword("Advanced", &S::advanced, node.Advanced ? 1 : 0);
    w.text("Max", &S::max, node.Max);
    w.dword("Type", &S::type, static_cast<uint32_t>(node.Type));
    // A key that already carries a name keeps it right, whatever its key name says.
    if (nameValue || stored.name) w.text(kNameValue, &S::name, node.Name);
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
    if (auto key = registry->openKey(path)) {
        const std::vector<std::string> names = key->subkeys();
        key.reset();
        tree.PanelRoot = loadLevel(*registry, path, names);
    }
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
