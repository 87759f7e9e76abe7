#include "platform/hive_registry.h"

namespace skimmer::platform {

namespace {

RegistryValueType valueType(os::RegType type) {
    switch (type) {
        case os::RegType::String: return RegistryValueType::String;
        case os::RegType::Dword: return RegistryValueType::Dword;
        case os::RegType::Binary: return RegistryValueType::Binary;
    }
    return RegistryValueType::Binary;
}

class HiveKey : public RegistryKey {
public:
    explicit HiveKey(os::RegKey key) : key_(std::move(key)) {}

    std::optional<uint32_t> readDword(std::string_view name) const override { return key_.readDword(name); }
    std::optional<std::string> readString(std::string_view name) const override { return key_.readString(name); }
    std::optional<std::string> readBinary(std::string_view name) const override {
        auto value = key_.readValue(name);
        if (!value || value->type != os::RegType::Binary) return std::nullopt;
        return value->data;
    }
    void readValues(const std::function<void(const RegistryValue&)>& visit) const override {
        key_.forEachValue([&](std::string_view name, const os::RegValue& value) {
            visit({.name = name, .type = valueType(value.type), .data = value.data});
        });
    }
    std::vector<std::string> subkeys() const override { return key_.subkeys(); }
    bool writeDword(std::string_view name, uint32_t value) override { return key_.writeDword(name, value).ok; }
    bool writeString(std::string_view name, std::string_view text) override {
        return key_.writeString(name, text).ok;
    }
    bool writeBinary(std::string_view name, std::string_view bytes) override {
        return key_.writeBinary(name, bytes).ok;
    }

private:
    os::RegKey key_;
};

class HiveBatch : public RegistryBatch {
public:
    explicit HiveBatch(os::Hive& hive) : batch_(hive) {}
    RegistryCommit commit() override {
        const os::RegStatus status = batch_.commit();
        // The hive keeps a change it could not write and writes it with its next write.
        return {status.ok, status.error, !status.ok};
    }

private:
    os::Hive::Batch batch_;
};

}  // namespace

std::unique_ptr<RegistryKey> HiveRegistry::openKey(std::string_view path) {
    auto key = hive_.openKey(path);
    if (!key) return nullptr;
    return std::make_unique<HiveKey>(std::move(*key));
}

std::unique_ptr<RegistryKey> HiveRegistry::createKey(std::string_view path) {
    auto key = hive_.createKey(path);
    if (!key) return nullptr;
    return std::make_unique<HiveKey>(std::move(*key));
}

bool HiveRegistry::readTree(std::string_view path, const TreeVisit& visit) {
    const auto key = hive_.openKey(path);
    if (!key) return false;
    std::vector<RegistryValue> values;  // one buffer for every key: each visit's views are its own
    key->forEachKeyBelow([&](size_t depth, std::string_view name, std::span<const os::RegValueView> views) {
        values.clear();
        for (const os::RegValueView& v : views) values.push_back({.name = v.name, .type = valueType(v.type), .data = v.data});
        visit({.depth = depth, .name = name, .values = values});
    });
    return true;
}

std::unique_ptr<RegistryBatch> HiveRegistry::beginBatch() { return std::make_unique<HiveBatch>(hive_); }

}  // namespace skimmer::platform
