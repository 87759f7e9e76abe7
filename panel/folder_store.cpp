#include "panel/folder_store.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
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

using StoredValues = TStoredValues;

// Value names compare as the registry compares them; most pairs already differ in length.
bool sameName(std::string_view a, std::string_view b) { return a.size() == b.size() && os::equalsAsciiCaseless(a, b); }

// Takes one of a key's values into the node's values when it is one of them, of its type.
void takeStored(StoredValues& s, const platform::RegistryValue& v) {
    using platform::RegistryValueType;
    static constexpr struct {
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
    static constexpr struct {
        std::string_view name;
        std::optional<uint32_t> StoredValues::*field;
    } dwords[] = {{"GroupsAsFolders", &StoredValues::groupsAsFolders},
                  {"Advanced", &StoredValues::advanced},
                  {"Type", &StoredValues::type}};
    if (v.type == RegistryValueType::Dword) {
        for (const auto& d : dwords)
            if (v.data.size() == 4 && sameName(v.name, d.name)) {
                s.*d.field = dwordOf(v.data);
                return;
            }
        return;
    }
    for (const auto& b : bytes)
        if (v.type == b.type && sameName(v.name, b.name)) {
            s.*b.field = std::string(v.data);
            return;
        }
}

// A node's values as its key holds them, found in one pass over the key.
StoredValues readStored(const platform::RegistryKey& key) {
    StoredValues s;
    key.readValues([&](const platform::RegistryValue& v) { takeStored(s, v); });
    return s;
}

// The node a key of `keyName` holding `s` loads as.
std::unique_ptr<TFiles> loadNode(const std::string_view keyName, const StoredValues& s) {
    auto node = std::make_unique<TFiles>();
    node->Name = FitNodeName(s.name && !s.name->empty() ? *s.name : keyName);
    node->Desc = s.desc.value_or("");
    node->AQS = s.aqs.value_or("");
    node->query = s.query.value_or("");
    node->Max = s.max.value_or("");
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

// Builds the tree from the registry's walk of the tree's key (parents before children): each key
// becomes a node at the end of its parent's list, recorded in the image under its key name.
class TreeLoad {
public:
    explicit TreeLoad(std::unique_ptr<TFiles>& root) { levels_.push_back({&root, nullptr, 0, false}); }

    void add(const platform::RegistryTreeKey& key) {
        levels_.resize(key.depth);  // back to the level of this key's parent's children
        Level& level = levels_.back();
        StoredValues values;
        for (const platform::RegistryValue& v : key.values) takeStored(values, v);
        auto node = loadNode(key.name, values);
        TFiles* added = node.get();
        // Key names of one level differ, so only a level with a node named otherwise (a "Name"
        // value, a name cut to fit) can hold a name twice.
        if (added->Name != key.name && !level.settle) {
            level.settle = true;
            settle_.push_back(level.head);
        }
        image_.Nodes.try_emplace(added->Id,
                                 TStoredNode{level.parent, std::string(key.name), added->Name, std::move(values)});
        (level.last ? level.last->Next : *level.head) = std::move(node);
        level.last = added;
        levels_.push_back({&added->Children, nullptr, added->Id, false});
    }

    // Settles repeated sibling names and records the names as held: a later change of one is a
    // rename of its node.
    TStoredImage finish() {
        for (const std::unique_ptr<TFiles>* head : settle_) {
            renameRepeatedNames(head->get());
            for (const TFiles* n = head->get(); n; n = n->Next.get()) image_.Nodes[n->Id].Name = n->Name;
        }
        image_.Known = true;
        return std::move(image_);
    }

private:
    struct Level {
        std::unique_ptr<TFiles>* head;  // the list keys of this depth go into
        TFiles* last;
        uint64_t parent;  // the id of the list's owner; 0 at the top level
        bool settle = false;
    };

    std::vector<Level> levels_;
    std::vector<std::unique_ptr<TFiles>*> settle_;  // the lists whose names may repeat
    TStoredImage image_;
};

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

// The values `node` is stored with; its name only when `withName` (a key of another name).
StoredValues valuesOf(const TFiles& node, bool withName) {
    StoredValues v;
    v.created = timeBytes(node.Item.Created);
    v.modified = timeBytes(node.Item.Modified);
    v.accessed = timeBytes(node.Item.Accessed);
    v.desc = node.Desc;
    v.groupsAsFolders = node.GroupsAsFolders ? 1 : 0;
    v.aqs = node.AQS;
    v.query = node.query;
    v.advanced = node.Advanced ? 1 : 0;
    v.max = node.Max;
    v.type = static_cast<uint32_t>(node.Type);
    if (withName) v.name = node.Name;
    return v;
}

// Writes each value `wanted` gives that differs from `base` (what the key held, or what this
// process last knew it to hold): a save after one change touches one value, and the batch that
// carries it stays small. `base` becomes what the key holds after.
bool writeValues(platform::RegistryKey& key, const StoredValues& wanted, StoredValues& base) {
    bool ok = true;
    auto text = [&](std::string_view name, std::optional<std::string> StoredValues::*field, bool binary) {
        if (!(wanted.*field) || wanted.*field == base.*field) return;
        ok = (binary ? key.writeBinary(name, *(wanted.*field)) : key.writeString(name, *(wanted.*field))) && ok;
        base.*field = wanted.*field;
    };
    auto dword = [&](std::string_view name, std::optional<uint32_t> StoredValues::*field) {
        if (!(wanted.*field) || wanted.*field == base.*field) return;
        ok = key.writeDword(name, *(wanted.*field)) && ok;
        base.*field = wanted.*field;
    };
    using S = StoredValues;
    text("Created", &S::created, true);
    text("Modified", &S::modified, true);
    text("Accessed", &S::accessed, true);
    text("Desc", &S::desc, false);
    dword("GroupsAsFolders", &S::groupsAsFolders);
    text("AQS", &S::aqs, false);
    text("query", &S::query, false);
    dword("Advanced", &S::advanced);
    text("Max", &S::max, false);
    dword("Type", &S::type);
    text(kNameValue, &S::name, false);
    return ok;
}

// The node's values written where they differ from `base`; a key that already carries a name
// keeps it right, whatever its key name says. Answers what the key holds after, in `base`.
bool writeNode(platform::RegistryKey& key, const TFiles& node, bool nameValue, StoredValues& base) {
    return writeValues(key, valuesOf(node, nameValue || base.name.has_value()), base);
}

// Makes the subkeys of `path` exactly the stored nodes of the list at `head` (null: none), to any
// depth: keys of nodes that are gone are removed, the rest are written where they differ. What
// was written goes into `image` below `parent`.
bool replaceLevel(platform::RegistryAccess& registry, const std::string& path, const TFiles* head,
                  TStoredImage& image, uint64_t parent) {
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
        // An existing key keeps its first spelling ("Docs" written as "docs"): then the name travels
        // in the Name value too, and the image names the key as it is spelled.
        const auto existing = spelled.find(os::foldName(keyName));
        const std::string spelling = existing != spelled.end() ? existing->second : keyName;
        const std::string keyPath = path + "\\" + spelling;
        auto key = registry.createKey(keyPath);
        if (!key) return false;
        StoredValues values = readStored(*key);
        if (!writeNode(*key, *node, spelling != node->Name, values)) return false;
        key.reset();
        image.Nodes[node->Id] = {parent, spelling, node->Name, std::move(values)};
        if (!replaceLevel(registry, keyPath, node->Children.get(), image, node->Id)) return false;
    }
    return true;
}

// Copies the key `from` with its values and subkeys to `to` (made when missing).
bool copyTree(platform::RegistryAccess& registry, const std::string& from, const std::string& to) {
    auto source = registry.openKey(from);
    auto target = registry.createKey(to);
    if (!source || !target) return false;
    // Collected first: the registry's view must not change while its values are visited.
    std::vector<std::tuple<std::string, platform::RegistryValueType, std::string>> values;
    source->readValues([&](const platform::RegistryValue& v) { values.emplace_back(v.name, v.type, v.data); });
    bool ok = true;
    for (const auto& [name, type, data] : values) {
        switch (type) {
            case platform::RegistryValueType::String: ok = target->writeString(name, data) && ok; break;
            case platform::RegistryValueType::Dword: ok = target->writeDword(name, dwordOf(data)) && ok; break;
            case platform::RegistryValueType::Binary: ok = target->writeBinary(name, data) && ok; break;
        }
    }
    const std::vector<std::string> children = source->subkeys();
    source.reset();
    target.reset();
    for (const std::string& child : children) ok = ok && copyTree(registry, from + "\\" + child, to + "\\" + child);
    return ok;
}

// The key names of one level: those its key holds now and those this save gives out, folded as
// the registry compares them.
class LevelNames {
public:
    LevelNames(platform::RegistryAccess& registry, const std::string& path) {
        if (auto key = registry.openKey(path))
            for (const std::string& name : key->subkeys()) taken_.insert(os::foldName(name));
    }
    // A key name of its own for a node named `name`: the name itself when it can be one and no key
    // of the level has it (another process may have stored a node of that name), else "#<n>".
    std::string fresh(const std::string& name) {
        if (name.find('\\') == std::string::npos && name[0] != '#' && taken_.insert(os::foldName(name)).second)
            return name;
        for (size_t n = 1;; ++n) {
            std::string generated = "#" + std::to_string(n);
            if (taken_.insert(generated).second) return generated;
        }
    }

private:
    std::set<std::string> taken_;
};

// The save of a tree read from (or written to) the registry before: what this process changed
// since — nodes added, deleted, renamed, moved or edited, told apart by their ids — is applied to
// the stored tree as the registry holds it now. A node another process added is never touched; a
// value another process changed stays unless this process changed the same value of the same node;
// a node another process deleted stays deleted unless this process changed it or something below it.
class TreeMerge {
public:
    TreeMerge(platform::RegistryAccess& registry, std::string root, const TStoredImage& before)
        : registry_(registry), root_(std::move(root)), before_(before) {}

    bool run(const TFiles* head) { return writeLevel(root_, 0, head) && deleteGone(); }
    TStoredImage take() {
        after_.Known = true;
        return std::move(after_);
    }

private:
    const TStoredNode* known(uint64_t id) const {
        const auto it = before_.Nodes.find(id);
        return it == before_.Nodes.end() ? nullptr : &it->second;
    }
    // Where the key of a known node is now: below its parent's, or where this save moved it.
    std::string located(uint64_t id) const {
        if (const auto it = moved_.find(id); it != moved_.end()) return it->second;
        const TStoredNode* node = known(id);
        if (!node) return root_;
        return (node->Parent == 0 ? root_ : located(node->Parent)) + "\\" + node->KeyName;
    }
    // Whether this process changed `node` or anything below it since the image was taken.
    bool changedHere(const TFiles& node, uint64_t parent) const {
        const TStoredNode* was = known(node.Id);
        if (!was || was->Parent != parent || was->Name != node.Name) return true;
        for (const TFiles* child = node.Children.get(); child; child = child->Next.get())
            if (stored(*child) && changedHere(*child, node.Id)) return true;
        const StoredValues wanted = valuesOf(node, was->KeyName != node.Name || was->Values.name.has_value());
        StoredValues after = was->Values;
        auto take = [](auto& to, const auto& from) {
            if (from) to = from;
        };
        take(after.created, wanted.created), take(after.modified, wanted.modified), take(after.accessed, wanted.accessed);
        take(after.desc, wanted.desc), take(after.groupsAsFolders, wanted.groupsAsFolders), take(after.aqs, wanted.aqs);
        take(after.query, wanted.query), take(after.advanced, wanted.advanced), take(after.max, wanted.max);
        take(after.type, wanted.type), take(after.name, wanted.name);
        return after != was->Values;
    }
    // A node another process deleted, unchanged here: it stays deleted, and stays known (so a
    // later save does not take it for a new one).
    void keepDeleted(const TFiles& node, uint64_t parent) {
        TStoredNode entry = *known(node.Id);
        entry.Parent = parent;
        after_.Nodes[node.Id] = std::move(entry);
        for (const TFiles* child = node.Children.get(); child; child = child->Next.get())
            if (stored(*child) && known(child->Id)) keepDeleted(*child, node.Id);
    }
    bool exists(const std::string& path) const { return registry_.openKey(path) != nullptr; }

    bool writeLevel(const std::string& path, uint64_t parent, const TFiles* head) {
        LevelNames names(registry_, path);
        for (const TFiles* node = head; node; node = node->Next.get()) {
            if (stored(*node) && !writeNode(path, parent, *node, names)) return false;
        }
        return true;
    }

    bool writeNode(const std::string& path, uint64_t parent, const TFiles& node, LevelNames& names) {
        const TStoredNode* was = known(node.Id);
        std::string keyName;
        StoredValues base;  // what the key holds as far as this process knows; none: a new key
        if (was && was->Parent == parent && was->Name == node.Name) {
            keyName = was->KeyName;  // where it was (a moved parent took it along)
            if (exists(path + "\\" + keyName)) {
                base = was->Values;
            } else if (!changedHere(node, parent)) {
                keepDeleted(node, parent);
                return true;
            }
        } else if (was) {  // renamed or moved here: the key goes along with what it holds now
            const std::string from = located(node.Id);
            keyName = names.fresh(node.Name);
            if (exists(from)) {
                if (!copyTree(registry_, from, path + "\\" + keyName) || !registry_.deleteTree(from)) return false;
                base = was->Values;
            }
        } else {
            keyName = names.fresh(node.Name);
        }
        const std::string keyPath = path + "\\" + keyName;
        moved_[node.Id] = keyPath;
        auto key = registry_.createKey(keyPath);
        if (!key || !panel::writeNode(*key, node, keyName != node.Name, base)) return false;
        key.reset();
        after_.Nodes[node.Id] = {parent, keyName, node.Name, std::move(base)};
        return writeLevel(keyPath, node.Id, node.Children.get());
    }

    // Removes the keys of the known nodes this process no longer holds (each subtree once, from
    // where it is now), after every move: a node moved out of a deleted folder is already out.
    bool deleteGone() {
        std::vector<std::string> gone;
        for (const auto& [id, node] : before_.Nodes) {
            if (after_.Nodes.count(id)) continue;
            if (node.Parent != 0 && !after_.Nodes.count(node.Parent)) continue;  // its folder goes too
            gone.push_back(located(id));
        }
        for (const std::string& path : gone)
            if (exists(path) && !registry_.deleteTree(path)) return false;
        return true;
    }

    platform::RegistryAccess& registry_;
    const std::string root_;
    const TStoredImage& before_;
    TStoredImage after_;
    std::unordered_map<uint64_t, std::string> moved_;  // node id -> its key's path after this save
};

}  // namespace

std::string FolderTreeKey(std::string_view pluginsRootKey) {
    return platform::joinKeyPath(platform::joinKeyPath(pluginsRootKey, config::kSettingsKeyName), kTreeKeyName);
}

void LoadFolderTree(TFolderTree& tree, platform::RegistryAccess* registry, std::string_view pluginsRootKey) {
    tree.PanelRoot.reset();
    tree.Stored = {};
    if (!registry) return;
    // Known from here on, also when nothing is stored yet: a save then adds to what another
    // process may store meanwhile instead of replacing it.
    tree.Stored.Known = true;
    // One walk over one consistent view of the registry; nothing is written.
    TreeLoad load(tree.PanelRoot);
    if (!registry->readTree(FolderTreeKey(pluginsRootKey), std::bind_front(&TreeLoad::add, &load))) return;
    tree.Stored = load.finish();
}

platform::RegistryCommit SaveFolderTree(TFolderTree& tree, platform::RegistryAccess* registry,
                                        std::string_view pluginsRootKey) {
    if (!registry) return {false, "there is no registry to keep the search folders in"};
    const std::string path = FolderTreeKey(pluginsRootKey);
    auto batch = registry->beginBatch();
    TStoredImage image;
    bool written = registry->createKey(path) != nullptr;
    if (written && tree.Stored.Known) {
        TreeMerge merge(*registry, path, tree.Stored);
        written = merge.run(tree.PanelRoot.get());
        image = merge.take();
    } else if (written) {
        written = replaceLevel(*registry, path, tree.PanelRoot.get(), image, 0);
        image.Known = true;
    }
    if (!written) return {false, "the search folders could not be written to the registry"};  // the batch is discarded
    platform::RegistryCommit result = batch->commit();
    // The image follows the registry's view: a change the store keeps for its next write is in it.
    if (result.ok || result.kept) tree.Stored = std::move(image);
    return result;
}

}  // namespace skimmer::panel
