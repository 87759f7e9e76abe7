#include "os/registry.h"

#include <algorithm>
#include <cstdlib>

#include "os/clock.h"
#include "os/file_system.h"
#include "os/hive_store.h"
#include "os/hive_tree.h"

namespace skimmer::os {

// The view that reads see is the store's tree: the file's content with our unsaved changes applied
// in place. The change log is what a commit replays when another process replaced the file
// meanwhile; the undo records take a discarded batch's changes back without a copy of the tree
// (a tree of thousands of keys must not be copied on every save).
struct Hive::Impl {
    Impl(std::filesystem::path file, FileSystem& fs, std::function<void(const std::string&)> report)
        : store(std::move(file), fs, std::move(report), systemClock()),
          replay([this](HiveKey& fresh) { replayOnto(fresh); }) {}

    // Inside a batch the view is the file as it was when the batch began plus the batch's own
    // changes: one look at the file per batch, not one per access (a tree of thousands of keys is
    // read and written in one batch).
    const HiveKey& current() {
        if (batchDepth > 0 && viewValid) return store.base();
        store.refresh(replay);
        viewValid = true;
        return store.base();
    }
    // A fresh read of the file: our changes go back on top, with undo records that fit it.
    void replayOnto(HiveKey& fresh) {
        ++generation;
        undo.clear();
        for (const HiveChange& change : pending) undo.push_back(applyChangeUndoable(fresh, change));
    }
    RegStatus change(HiveChange change) {
        current();
        ++generation;
        undo.push_back(applyChangeUndoable(store.edit(), change));
        pending.push_back(std::move(change));
        return batchDepth > 0 ? RegStatus{} : flush();
    }
    RegStatus flush() {
        if (pending.empty()) return {};
        std::string error;
        bool applied = false;
        const bool ok = store.commit(replay, error, applied);
        ++generation;
        if (applied) {
            pending.clear();
            undo.clear();
        }
        return ok ? RegStatus{} : RegStatus{false, error};
    }
    void rollback(size_t mark) {
        if (mark >= pending.size()) return;  // nothing to undo: the view is still right
        ++generation;
        while (pending.size() > mark) {
            undoChange(store.edit(), pending.back(), std::move(undo.back()));
            pending.pop_back();
            undo.pop_back();
        }
    }
    // The keys along the last path looked up are remembered until the view changes: a key's
    // values are read one after another, and a walk of the tree looks up paths that share all but
    // their last component, so only what differs is folded and searched for.
    const HiveKey* key(const std::string& path) {
        const HiveKey& root = current();
        if (cachedGeneration != generation) {
            chain.clear();
            cachedPath.clear();
            cachedGeneration = generation;
        } else if (path == cachedPath) {
            return cachedKey;
        }
        // Keep the components shared byte for byte with the previous path (equal bytes, same key).
        size_t kept = 0;
        while (kept < chain.size() && chain[kept].end <= path.size() &&
               (chain[kept].end == path.size() || path[chain[kept].end] == '\\') &&
               path.compare(0, chain[kept].end, cachedPath, 0, chain[kept].end) == 0)
            ++kept;
        chain.resize(kept);
        cachedPath = path;
        cachedKey = walkFrom(kept == 0 ? &root : chain.back().key, kept == 0 ? 0 : chain.back().end);
        return cachedKey;
    }
    // Looks up the rest of cachedPath from `key` (reached at offset `from`), extending the chain;
    // null for a missing key or a path splitKeyPath would refuse.
    const HiveKey* walkFrom(const HiveKey* key, size_t from) {
        if (cachedPath.empty()) return key;
        if (from == cachedPath.size()) return key;
        size_t start = from == 0 ? 0 : from + 1;
        for (;;) {
            const size_t end = std::min(cachedPath.find('\\', start), cachedPath.size());
            const std::string_view part(cachedPath.data() + start, end - start);
            if (part.empty() || part.size() > kMaxNameBytes || chain.size() >= kMaxKeyDepth) return nullptr;
            const auto it = key->subkeys.find(foldName(part));
            if (it == key->subkeys.end()) return nullptr;
            key = &it->second;
            chain.push_back({end, key});
            if (end == cachedPath.size()) return key;
            start = end + 1;
        }
    }
    const HiveValue* value(const std::string& path, std::string_view name) {
        const HiveKey* k = key(path);
        if (k == nullptr) return nullptr;
        const auto it = k->values.find(name);
        return it == k->values.end() ? nullptr : &*it;
    }
    RegStatus setValue(const std::string& path, std::string_view name, RegValue value) {
        const auto parts = splitKeyPath(path);
        if (!parts || !validValue(name, value)) return {false, "invalid registry value name or data"};
        return change({HiveChange::Kind::SetValue, *parts, std::string(name), std::move(value)});
    }

    HiveStore store;
    HiveStore::Replay replay;
    std::vector<HiveChange> pending;
    std::vector<HiveUndo> undo;  // one per pending change
    bool viewValid = false;
    int batchDepth = 0;
    uint64_t generation = 1;  // changes whenever the view may have moved or lost a key
    uint64_t cachedGeneration = 0;
    std::string cachedPath;
    const HiveKey* cachedKey = nullptr;
    struct Step {
        size_t end;  // where the component ends in cachedPath
        const HiveKey* key;
    };
    std::vector<Step> chain;  // the keys of cachedPath's leading components, as far as they exist
};

// ---- values ---------------------------------------------------------------------------------

RegValue RegValue::string(std::string_view text) { return {RegType::String, std::string(text)}; }

RegValue RegValue::dword(uint32_t value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return {RegType::Dword, std::move(data)};
}

RegValue RegValue::binary(std::string_view bytes) { return {RegType::Binary, std::string(bytes)}; }

// ---- keys -----------------------------------------------------------------------------------

std::optional<RegValue> RegKey::readValue(std::string_view name) const {
    const HiveValue* v = hive_->impl().value(path_, name);
    if (v == nullptr) return std::nullopt;
    return v->value;
}

std::optional<uint32_t> RegKey::readDword(std::string_view name) const {
    const HiveValue* v = hive_->impl().value(path_, name);
    if (v == nullptr || v->value.type != RegType::Dword || v->value.data.size() != 4) return std::nullopt;
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) out |= static_cast<uint32_t>(static_cast<unsigned char>(v->value.data[i])) << (8 * i);
    return out;
}

std::optional<std::string> RegKey::readString(std::string_view name) const {
    const HiveValue* v = hive_->impl().value(path_, name);
    if (v == nullptr || v->value.type != RegType::String) return std::nullopt;
    return v->value.data;
}

std::optional<size_t> RegKey::dataSize(std::string_view name) const {
    const HiveValue* v = hive_->impl().value(path_, name);
    if (v == nullptr) return std::nullopt;
    return v->value.data.size() + (v->value.type == RegType::String ? 1 : 0);
}

std::vector<std::string> RegKey::subkeys() const {
    std::vector<std::string> names;
    if (const HiveKey* k = hive_->impl().key(path_))
        for (const auto& [folded, child] : k->subkeys) names.push_back(child.name);
    return names;
}

std::optional<std::string> RegKey::subkey(size_t index) const {
    const HiveKey* k = hive_->impl().key(path_);
    if (k == nullptr || index >= k->subkeys.size()) return std::nullopt;
    return std::next(k->subkeys.begin(), static_cast<std::ptrdiff_t>(index))->second.name;
}

std::vector<std::string> RegKey::valueNames() const {
    std::vector<std::string> names;
    if (const HiveKey* k = hive_->impl().key(path_))
        for (const HiveValue& value : k->values) names.push_back(value.name);
    return names;
}

void RegKey::forEachValue(const std::function<void(std::string_view, const RegValue&)>& visit) const {
    if (const HiveKey* k = hive_->impl().key(path_))
        for (const HiveValue& value : k->values) visit(value.name, value.value);
}

namespace {

// Recursion is bounded by kMaxKeyDepth: neither the parser nor a write makes a deeper key.
void visitBelow(const HiveKey& key, size_t depth, std::vector<RegValueView>& views, const RegKey::KeyVisit& visit) {
    for (const auto& [folded, child] : key.subkeys) {
        views.clear();
        for (const HiveValue& value : child.values) views.push_back({value.name, value.value.type, value.value.data});
        visit(depth, child.name, views);
        visitBelow(child, depth + 1, views, visit);
    }
}

}  // namespace

void RegKey::forEachKeyBelow(const KeyVisit& visit) const {
    const HiveKey* k = hive_->impl().key(path_);
    if (k == nullptr) return;
    std::vector<RegValueView> views;  // one buffer for every key: each visit's views are its own
    visitBelow(*k, 1, views, visit);
}

RegStatus RegKey::writeDword(std::string_view name, uint32_t value) {
    return hive_->impl().setValue(path_, name, RegValue::dword(value));
}

RegStatus RegKey::writeString(std::string_view name, std::string_view text) {
    return hive_->impl().setValue(path_, name, RegValue::string(text));
}

RegStatus RegKey::writeBinary(std::string_view name, std::string_view bytes) {
    return hive_->impl().setValue(path_, name, RegValue::binary(bytes));
}

RegStatus RegKey::deleteValue(std::string_view name) {
    Hive::Impl& impl = hive_->impl();
    if (impl.value(path_, name) == nullptr) return {false, "no such registry value"};
    return impl.change({HiveChange::Kind::DeleteValue, *splitKeyPath(path_), std::string(name), {}});
}

// ---- the hive -------------------------------------------------------------------------------

std::filesystem::path Hive::defaultPath() {
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') config = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') config = std::filesystem::path(home) / ".config";
    else config = "/tmp";  // no home at all: still somewhere writable rather than the working directory
    return config / "skimmer" / "registry.reg";
}

Hive::Hive(std::filesystem::path file, FileSystem* fs, std::function<void(const std::string&)> report)
    : impl_(std::make_unique<Impl>(std::move(file), fs != nullptr ? *fs : realFileSystem(), std::move(report))) {}

Hive::~Hive() = default;

const std::filesystem::path& Hive::file() const { return impl_->store.file(); }

bool Hive::writtenByNewerVersion() const { return impl_->store.writtenByNewerVersion(); }

std::optional<RegKey> Hive::openKey(std::string_view path) {
    const std::string p(path);
    if (impl_->key(p) == nullptr) return std::nullopt;
    return RegKey(*this, p);
}

std::optional<RegKey> Hive::createKey(std::string_view path, RegStatus* status) {
    std::string p(path);
    RegStatus result;
    if (impl_->key(p) == nullptr) {  // found means the path is valid too
        const auto parts = splitKeyPath(p);
        if (!parts) {
            if (status != nullptr) *status = {false, "invalid registry key path"};
            return std::nullopt;
        }
        result = impl_->change({HiveChange::Kind::CreateKey, *parts, {}, {}});
    }
    if (status != nullptr) *status = result;
    return RegKey(*this, std::move(p));
}

RegStatus Hive::deleteTree(std::string_view path) {
    const auto parts = splitKeyPath(path);
    if (!parts || parts->empty()) return {false, "invalid registry key path"};
    if (findKey(impl_->current(), *parts) == nullptr) return {false, "no such registry key"};
    return impl_->change({HiveChange::Kind::DeleteTree, *parts, {}, {}});
}

RegStatus Hive::flush() { return impl_->flush(); }

bool Hive::hasUnsavedChanges() const { return !impl_->pending.empty(); }

Hive::Batch::Batch(Hive& hive) : hive_(hive), mark_(hive.impl().pending.size()) {
    if (hive_.impl().batchDepth == 0) hive_.impl().current();  // the batch starts from the file as it is now
    ++hive_.impl().batchDepth;
}

Hive::Batch::~Batch() {
    if (done_) return;
    --hive_.impl().batchDepth;
    hive_.impl().rollback(mark_);
}

RegStatus Hive::Batch::commit() {
    if (done_) return {};
    done_ = true;
    Impl& impl = hive_.impl();
    return --impl.batchDepth > 0 ? RegStatus{} : impl.flush();
}

}  // namespace skimmer::os
