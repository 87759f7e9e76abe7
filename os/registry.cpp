#include "os/registry.h"

#include <algorithm>
#include <cstdlib>

#include "os/clock.h"
#include "os/file_system.h"
#include "os/hive_store.h"
#include "os/hive_tree.h"

namespace skimmer::os {

// The view that reads see is the file's content (HiveStore::base) with our unsaved changes
// replayed on top; the change log is what each commit merges onto a freshly read file.
struct Hive::Impl {
    Impl(std::filesystem::path file, FileSystem& fs, std::function<void(const std::string&)> report)
        : store(std::move(file), fs, std::move(report), systemClock()) {}

    // Inside a batch the view is the file as it was when the batch began plus the batch's own
    // changes: one look at the file per batch, not one per access (a tree of thousands of keys is
    // read and written in one batch).
    const HiveKey& current() {
        if (batchDepth > 0 && viewValid) return view;
        if (store.refresh() || !viewValid) rebuild();
        return view;
    }
    void rebuild() {
        ++generation;
        view = store.base();
        for (const HiveChange& change : pending) applyChange(view, change);
        viewValid = true;
    }
    RegStatus change(HiveChange change) {
        current();
        ++generation;
        applyChange(view, change);
        pending.push_back(std::move(change));
        return batchDepth > 0 ? RegStatus{} : flush();
    }
    RegStatus flush() {
        if (pending.empty()) return {};
        std::string error;
        bool applied = false;
        const bool ok = store.commit(pending, error, applied);
        if (applied) {
            pending.clear();
            rebuild();
        }
        return ok ? RegStatus{} : RegStatus{false, error};
    }
    void rollback(size_t mark) {
        if (mark >= pending.size()) return;  // nothing to undo: the view is still right
        pending.resize(mark);
        rebuild();
    }
    // The last key looked up is remembered until the view changes: a key's values are usually
    // read one after another, and each lookup would otherwise fold and walk the whole path.
    const HiveKey* key(const std::string& path) {
        const HiveKey& root = current();
        if (cachedGeneration == generation && path == cachedPath) return cachedKey;
        const auto parts = splitKeyPath(path);
        cachedKey = parts ? findKey(root, *parts) : nullptr;
        cachedPath = path;
        cachedGeneration = generation;
        return cachedKey;
    }
    const HiveValue* value(const std::string& path, std::string_view name) {
        const HiveKey* k = key(path);
        if (k == nullptr) return nullptr;
        const auto it = k->values.find(foldName(name));
        return it == k->values.end() ? nullptr : &it->second;
    }
    RegStatus setValue(const std::string& path, std::string_view name, RegValue value) {
        const auto parts = splitKeyPath(path);
        if (!parts || !validValue(name, value)) return {false, "invalid registry value name or data"};
        return change({HiveChange::Kind::SetValue, *parts, std::string(name), std::move(value)});
    }

    HiveStore store;
    std::vector<HiveChange> pending;
    HiveKey view;
    bool viewValid = false;
    int batchDepth = 0;
    uint64_t generation = 1;  // changes whenever the view may have moved or lost a key
    uint64_t cachedGeneration = 0;
    std::string cachedPath;
    const HiveKey* cachedKey = nullptr;
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
        for (const auto& [folded, value] : k->values) names.push_back(value.name);
    return names;
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
    const std::string p(path);
    const auto parts = splitKeyPath(p);
    if (!parts) {
        if (status != nullptr) *status = {false, "invalid registry key path"};
        return std::nullopt;
    }
    RegStatus result;
    if (findKey(impl_->current(), *parts) == nullptr) result = impl_->change({HiveChange::Kind::CreateKey, *parts, {}, {}});
    if (status != nullptr) *status = result;
    return RegKey(*this, p);
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
