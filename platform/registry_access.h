// The registry as the plug-in's settings, groups and palette code use it: open or create a key, read and write typed values,
// and group writes that belong together into one change on disk.
//
// Contract: this is a seam, not a store. The plug-in's code reaches the registry only through it,
// so tests can substitute an in-memory registry that counts changes or refuses writes, and the
// hive file of os/registry.h stands behind it in the module. Reads never fail loudly: a missing
// key or value, or one of another type, is "none". A key object is closed when it is destroyed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::platform {

// One value of a key as RegistryKey::readValues hands it over; the views last for the call only.
enum class RegistryValueType { String, Dword, Binary };
struct RegistryValue {
    std::string_view name;
    RegistryValueType type = RegistryValueType::String;
    std::string_view data;  // REG_SZ without its terminator; REG_DWORD 4 bytes, little-endian
};

// One key of a subtree as RegistryAccess::readTree hands it over; the views last for the call only.
struct RegistryTreeKey {
    size_t depth = 1;  // 1: a subkey of the key the walk started at
    std::string_view name;
    std::span<const RegistryValue> values;  // all of the key's values, in the registry's order
};

// One open key (an HKEY). Writes return false when the store refused them.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    virtual std::optional<uint32_t> readDword(std::string_view name) const = 0;
    virtual std::optional<std::string> readString(std::string_view name) const = 0;
    virtual std::optional<std::string> readBinary(std::string_view name) const = 0;
    // Every value of the key, once each, in the registry's order: reading a whole key costs one
    // lookup, not one per value.
    virtual void readValues(const std::function<void(const RegistryValue&)>& visit) const = 0;
    // The names of the key's direct subkeys, in the registry's order (case-insensitive sort).
    virtual std::vector<std::string> subkeys() const = 0;
    virtual bool writeDword(std::string_view name, uint32_t value) = 0;
    virtual bool writeString(std::string_view name, std::string_view text) = 0;
    virtual bool writeBinary(std::string_view name, std::string_view bytes) = 0;
};

// The outcome of a group of writes reaching the disk; `error` says why it did not, for the user.
struct RegistryCommit {
    bool ok = true;
    std::string error;
    // On failure: the store keeps the change in its view and writes it with its next write (the
    // hive does; a store that discards a refused change does not). Readers then already see it.
    bool kept = false;
};

// Writes made while a batch is alive reach the disk together at commit(), or not at all when the
// batch is destroyed uncommitted. Batches nest; only the outermost commit writes. A store without
// transactions (Windows' own registry, platform/user_registry.h) writes at once instead and undoes
// an abandoned batch's writes; there a crash before commit() can leave part of the batch.
class RegistryBatch {
public:
    virtual ~RegistryBatch() = default;
    virtual RegistryCommit commit() = 0;
};

// Keys below HKEY_CURRENT_USER, paths separated by '\'.
class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;
    virtual std::unique_ptr<RegistryKey> openKey(std::string_view path) = 0;    // null: missing
    virtual std::unique_ptr<RegistryKey> createKey(std::string_view path) = 0;  // null: refused
    virtual std::unique_ptr<RegistryBatch> beginBatch() = 0;
    // Removes the key with its values and every subkey; false when it is missing or the store
    // refused. Inside a batch the removal reaches the disk with the batch's other writes, so a
    // subtree removed and written anew is replaced at once, never seen half-way.
    virtual bool deleteTree(std::string_view path) = 0;
    // True when the store as a whole cannot be used (a settings file of a newer version) and the
    // user has already been told so: a missing key then needs no notice of its own.
    virtual bool unusableAndReported() const { return false; }
    // Every key below `path`, parents before children and siblings in the registry's order, each
    // with all its values, from one consistent view of the store; nothing is written. False (and
    // nothing visited) when `path` is missing. Stores that hold their keys in memory walk them
    // without a lookup per key; the general walk opens each key once.
    using TreeVisit = std::function<void(const RegistryTreeKey&)>;
    virtual bool readTree(std::string_view path, const TreeVisit& visit);
};

// Joins registry path components with '\', skipping empty ones ("Software\Far" + "Skimmer").
std::string joinKeyPath(std::string_view parent, std::string_view child);

}  // namespace skimmer::platform
