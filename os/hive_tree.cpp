#include "os/hive_tree.h"

#include "os/utf8.h"

namespace skimmer::os {

namespace {

bool validComponent(std::string_view name) { return !name.empty() && name.size() <= kMaxNameBytes; }

}  // namespace

int compareNames(std::string_view a, std::string_view b) {
    // While both are ASCII, upper-casing byte by byte is what foldName does, so the first
    // difference decides. A non-ASCII byte before any difference needs the full fold.
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80) return foldName(a).compare(foldName(b));
        const int ux = x >= 'a' && x <= 'z' ? x - 'a' + 'A' : x;
        const int uy = y >= 'a' && y <= 'z' ? y - 'a' + 'A' : y;
        if (ux != uy) return ux < uy ? -1 : 1;
    }
    // One is a prefix of the other byte for byte: its fold is a prefix of the other's fold.
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::string foldName(std::string_view name) {
    // Most names are ASCII: upper-cased byte by byte, without decoding (every lookup folds its path).
    std::string out(name);
    bool ascii = true;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (ascii) return out;
    out.clear();
    for (size_t i = 0; i < name.size();) {
        char32_t cp = 0;
        const size_t length = decodeUtf8(name, i, cp);
        if (length == 0) {
            out.push_back(name[i++]);
            continue;
        }
        appendUtf8(out, upperCase(cp));
        i += length;
    }
    return out;
}

std::optional<std::vector<std::string>> splitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    if (path.empty()) return parts;
    for (size_t start = 0;;) {
        const size_t end = path.find('\\', start);
        const std::string_view part = path.substr(start, end == std::string_view::npos ? path.npos : end - start);
        if (!validComponent(part) || parts.size() >= kMaxKeyDepth) return std::nullopt;
        parts.emplace_back(part);
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

const HiveKey* findKey(const HiveKey& root, const std::vector<std::string>& path) {
    const HiveKey* key = &root;
    for (const std::string& part : path) {
        const auto it = key->subkeys.find(foldName(part));
        if (it == key->subkeys.end()) return nullptr;
        key = &it->second;
    }
    return key;
}

HiveKey* findKey(HiveKey& root, const std::vector<std::string>& path) {
    return const_cast<HiveKey*>(findKey(static_cast<const HiveKey&>(root), path));
}

HiveKey& ensureKey(HiveKey& root, const std::vector<std::string>& path) {
    HiveKey* key = &root;
    for (const std::string& part : path) {
        auto [it, added] = key->subkeys.try_emplace(foldName(part));
        if (added) it->second.name = part;
        key = &it->second;
    }
    return *key;
}

bool validValue(std::string_view name, const RegValue& value) {
    if (name.size() > kMaxNameBytes || value.data.size() > kMaxValueBytes) return false;
    switch (value.type) {
        case RegType::String:
        case RegType::Binary: return true;
        case RegType::Dword: return value.data.size() == 4;
    }
    return false;
}

void applyChange(HiveKey& root, const HiveChange& change) {
    switch (change.kind) {
        case HiveChange::Kind::CreateKey: ensureKey(root, change.path); return;
        case HiveChange::Kind::SetValue: {
            // An existing value keeps its spelling.
            ensureKey(root, change.path).values.try_emplace(change.name).first->value = change.value;
            return;
        }
        case HiveChange::Kind::DeleteValue:
            if (HiveKey* key = findKey(root, change.path)) key->values.erase(change.name);
            return;
        case HiveChange::Kind::DeleteTree: {
            if (change.path.empty()) {
                root = HiveKey{};
                return;
            }
            std::vector<std::string> parent(change.path.begin(), change.path.end() - 1);
            if (HiveKey* key = findKey(root, parent)) key->subkeys.erase(foldName(change.path.back()));
            return;
        }
    }
}

namespace {

// The deepest existing key on `path` and how many of its components lead there.
std::pair<HiveKey*, size_t> deepestExisting(HiveKey& root, const std::vector<std::string>& path) {
    HiveKey* key = &root;
    size_t depth = 0;
    for (; depth < path.size(); ++depth) {
        const auto it = key->subkeys.find(foldName(path[depth]));
        if (it == key->subkeys.end()) break;
        key = &it->second;
    }
    return {key, depth};
}

}  // namespace

HiveUndo applyChangeUndoable(HiveKey& root, const HiveChange& change) {
    HiveUndo undo;
    auto [key, depth] = deepestExisting(root, change.path);
    undo.existed = depth;
    const bool complete = depth == change.path.size();
    switch (change.kind) {
        case HiveChange::Kind::CreateKey:
        case HiveChange::Kind::SetValue:
            if (complete && change.kind == HiveChange::Kind::SetValue) {
                const auto it = key->values.find(change.name);
                if (it != key->values.end()) undo.value = *it;
            }
            applyChange(root, change);
            break;
        case HiveChange::Kind::DeleteValue:
            if (complete) {
                const auto it = key->values.find(change.name);
                if (it != key->values.end()) {
                    undo.value = std::move(*it);
                    key->values.erase(it);
                }
            }
            break;
        case HiveChange::Kind::DeleteTree:
            if (change.path.empty()) {
                undo.root = std::move(root);
                root = HiveKey{};
            } else if (complete) {
                // Found whole, so its parent is the key one level up.
                std::vector<std::string> parent(change.path.begin(), change.path.end() - 1);
                undo.subtree = findKey(root, parent)->subkeys.extract(foldName(change.path.back()));
            }
            break;
    }
    return undo;
}

void undoChange(HiveKey& root, const HiveChange& change, HiveUndo undo) {
    if (undo.root) {
        root = std::move(*undo.root);
        return;
    }
    if (undo.existed < change.path.size()) {
        // The change created keys from here down: removing the first takes all of them back.
        if (change.kind == HiveChange::Kind::CreateKey || change.kind == HiveChange::Kind::SetValue) {
            std::vector<std::string> parent(change.path.begin(),
                                            change.path.begin() + static_cast<std::ptrdiff_t>(undo.existed));
            if (HiveKey* key = findKey(root, parent)) key->subkeys.erase(foldName(change.path[undo.existed]));
        }
        return;
    }
    HiveKey* key = findKey(root, change.path);
    switch (change.kind) {
        case HiveChange::Kind::CreateKey: return;
        case HiveChange::Kind::SetValue:
        case HiveChange::Kind::DeleteValue:
            if (key == nullptr) return;
            if (undo.value) key->values.insert_or_assign(std::move(*undo.value));
            else key->values.erase(change.name);
            return;
        case HiveChange::Kind::DeleteTree:
            if (!undo.subtree) return;
            std::vector<std::string> parent(change.path.begin(), change.path.end() - 1);
            if (HiveKey* up = findKey(root, parent)) up->subkeys.insert(std::move(undo.subtree));
            return;
    }
}

}  // namespace skimmer::os
