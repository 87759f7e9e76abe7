#include "tests/support/memory_registry.h"

#include "os/utf8.h"

#include <cstring>

namespace skimmer::platform {

namespace {

std::string dwordBytes(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

uint32_t bytesDword(const std::string& bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

class MemoryKey : public RegistryKey {
public:
    MemoryKey(MemoryRegistry& registry, std::string path) : registry_(registry), path_(std::move(path)) {}

    std::optional<uint32_t> readDword(std::string_view name) const override {
        auto v = registry_.value(path_, name);
        if (!v || v->type != MemoryRegistry::Type::Dword || v->data.size() != 4) return std::nullopt;
        return bytesDword(v->data);
    }
    std::optional<std::string> readString(std::string_view name) const override {
        auto v = registry_.value(path_, name);
        if (!v || v->type != MemoryRegistry::Type::String) return std::nullopt;
        return v->data;
    }
    std::optional<std::string> readBinary(std::string_view name) const override {
        auto v = registry_.value(path_, name);
        if (!v || v->type != MemoryRegistry::Type::Binary) return std::nullopt;
        return v->data;
    }
    void readValues(const std::function<void(const RegistryValue&)>& visit) const override {
        const MemoryRegistry::KeyData* key = registry_.find(path_);
        if (!key) return;
        for (const auto& [lower, entry] : key->values) {
            const auto& [name, value] = entry;
            const RegistryValueType type = value.type == MemoryRegistry::Type::String  ? RegistryValueType::String
                                           : value.type == MemoryRegistry::Type::Dword ? RegistryValueType::Dword
                                                                                       : RegistryValueType::Binary;
            visit({.name = name, .type = type, .data = value.data});
        }
    }
    std::vector<std::string> subkeys() const override { return registry_.subkeyNames(path_); }
    bool writeDword(std::string_view name, uint32_t value) override {
        return write(name, {MemoryRegistry::Type::Dword, dwordBytes(value)});
    }
    bool writeString(std::string_view name, std::string_view text) override {
        return write(name, {MemoryRegistry::Type::String, std::string(text)});
    }
    bool writeBinary(std::string_view name, std::string_view bytes) override {
        return write(name, {MemoryRegistry::Type::Binary, std::string(bytes)});
    }

private:
    bool write(std::string_view name, MemoryRegistry::Value value) {
        MemoryRegistry::KeyData* key = registry_.find(path_);
        return key && registry_.write(*key, name, std::move(value));  // a key deleted meanwhile refuses
    }
    MemoryRegistry& registry_;
    std::string path_;
};

class MemoryBatch : public RegistryBatch {
public:
    explicit MemoryBatch(MemoryRegistry& registry) : registry_(registry) {}
    ~MemoryBatch() override {
        if (!done_) registry_.endBatch(false);
    }
    RegistryCommit commit() override {
        if (done_) return {};
        done_ = true;
        if (registry_.refusing()) {
            registry_.endBatch(false);
            return {false, "the registry refused the change"};
        }
        registry_.endBatch(true);
        return {};
    }

private:
    MemoryRegistry& registry_;
    bool done_ = false;
};

}  // namespace

MemoryRegistry::Value MemoryRegistry::Value::dword(uint32_t value) { return {Type::Dword, dwordBytes(value)}; }

std::unique_ptr<RegistryKey> MemoryRegistry::openKey(std::string_view path) {
    if (!find(path)) return nullptr;
    return std::make_unique<MemoryKey>(*this, std::string(path));
}

std::unique_ptr<RegistryKey> MemoryRegistry::createKey(std::string_view path) {
    if (path.empty()) return nullptr;
    if (!find(path)) {
        if (refuseWrites_) return nullptr;
        // Every ancestor exists too, as in a real registry.
        for (size_t pos = path.find('\\'); pos != std::string_view::npos; pos = path.find('\\', pos + 1)) {
            keys_.try_emplace(os::asciiLower(path.substr(0, pos)), KeyData{std::string(path.substr(0, pos)), {}});
        }
        keys_.emplace(os::asciiLower(path), KeyData{std::string(path), {}});
        noteChange();
    }
    return std::make_unique<MemoryKey>(*this, std::string(path));
}

std::unique_ptr<RegistryBatch> MemoryRegistry::beginBatch() {
    if (batchDepth_++ == 0) {
        snapshot_ = keys_;
        batchChanged_ = false;
    }
    return std::make_unique<MemoryBatch>(*this);
}

bool MemoryRegistry::deleteTree(std::string_view path) {
    if (refuseWrites_ || path.empty() || !find(path)) return false;
    const std::string key = os::asciiLower(path);
    const std::string below = key + "\\";
    keys_.erase(key);
    for (auto it = keys_.lower_bound(below); it != keys_.end() && it->first.starts_with(below);) it = keys_.erase(it);
    noteChange();
    return true;
}

void MemoryRegistry::endBatch(bool commit) {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return;
    if (!commit) keys_ = snapshot_;
    else if (batchChanged_) ++changes_;
    snapshot_.clear();
}

void MemoryRegistry::noteChange() {
    if (batchDepth_ > 0) batchChanged_ = true;
    else ++changes_;
}

MemoryRegistry::KeyData* MemoryRegistry::find(std::string_view path) {
    auto it = keys_.find(os::asciiLower(path));
    return it == keys_.end() ? nullptr : &it->second;
}

bool MemoryRegistry::write(KeyData& key, std::string_view name, Value value) {
    if (refuseWrites_) return false;
    // An existing value keeps the spelling it was created with, as the registry's names do.
    auto [it, added] = key.values.try_emplace(os::asciiLower(name), std::string(name), Value{});
    it->second.second = std::move(value);
    noteChange();
    return true;
}

std::vector<std::string> MemoryRegistry::subkeyNames(std::string_view path) const {
    // Every key's parents exist as keys of their own, so the direct children are the keys one
    // level below; the map's lower-case order is the registry's order.
    const std::string prefix = os::asciiLower(path) + "\\";
    std::vector<std::string> names;
    for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.starts_with(prefix); ++it)
        if (it->first.find('\\', prefix.size()) == std::string::npos)
            names.push_back(it->second.path.substr(prefix.size()));
    return names;
}

bool MemoryRegistry::keyExists(std::string_view path) const { return keys_.count(os::asciiLower(path)) != 0; }

std::optional<MemoryRegistry::Value> MemoryRegistry::value(std::string_view path, std::string_view name) const {
    auto key = keys_.find(os::asciiLower(path));
    if (key == keys_.end()) return std::nullopt;
    auto it = key->second.values.find(os::asciiLower(name));
    if (it == key->second.values.end()) return std::nullopt;
    return it->second.second;
}

void MemoryRegistry::setValue(std::string_view path, std::string_view name, Value value) {
    const bool refused = refuseWrites_;
    refuseWrites_ = false;
    createKey(path);
    write(*find(path), name, std::move(value));
    refuseWrites_ = refused;
}

size_t MemoryRegistry::valueCount(std::string_view path) const {
    auto key = keys_.find(os::asciiLower(path));
    return key == keys_.end() ? 0 : key->second.values.size();
}

}  // namespace skimmer::platform
