// A registry held in memory, with the registry's rules: key and value names are case-insensitive
// and case-preserving, values are typed (REG_SZ, REG_DWORD, REG_BINARY) and a read of another
// type gives none. It counts the changes that would have reached the disk (one per write outside
// a batch, one per committed batch that changed something) and can be told to refuse writes, so
// tests can check what a pass costs and how refusals are handled. Not thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_access.h"

namespace skimmer::platform {

class MemoryRegistry : public RegistryAccess {
public:
    enum class Type { String, Dword, Binary };
    struct Value {
        Type type = Type::String;
        std::string data;  // REG_DWORD: 4 bytes little-endian

        static Value dword(uint32_t value);
        static Value string(std::string text) { return {Type::String, std::move(text)}; }
        static Value binary(std::string bytes) { return {Type::Binary, std::move(bytes)}; }
    };

    std::unique_ptr<RegistryKey> openKey(std::string_view path) override;
    std::unique_ptr<RegistryKey> createKey(std::string_view path) override;
    std::unique_ptr<RegistryBatch> beginBatch() override;
    bool deleteTree(std::string_view path) override;

    // Test controls and inspection.
    void refuseWrites(bool refuse) { refuseWrites_ = refuse; }
    int changes() const { return changes_; }
    void resetChanges() { changes_ = 0; }
    bool keyExists(std::string_view path) const;
    std::vector<std::string> subkeyNames(std::string_view path) const;  // direct subkeys, sorted
    std::optional<Value> value(std::string_view path, std::string_view name) const;
    void setValue(std::string_view path, std::string_view name, Value value);  // creates the key
    size_t valueCount(std::string_view path) const;

    // Used by the key and batch objects.
    struct KeyData {
        std::string path;                                       // as first created
        std::map<std::string, std::pair<std::string, Value>> values;  // lower-case name -> (name, value)
    };
    KeyData* find(std::string_view path);
    bool write(KeyData& key, std::string_view name, Value value);
    void endBatch(bool commit);
    bool refusing() const { return refuseWrites_; }

private:
    std::map<std::string, KeyData> keys_;  // lower-case path -> key
    std::map<std::string, KeyData> snapshot_;
    int batchDepth_ = 0;
    bool batchChanged_ = false;
    bool refuseWrites_ = false;
    int changes_ = 0;
    void noteChange();
};

}  // namespace skimmer::platform
