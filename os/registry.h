// The registry below HKEY_CURRENT_USER, kept in one hive file ($XDG_CONFIG_HOME/skimmer/registry.reg).
//
// Contract:
// - Key paths are relative to HKEY_CURRENT_USER and separated by '\' ("Software\Far\Plugins\Skimmer").
//   Key and value names are case-insensitive and case-preserving; any byte string is a valid name
//   except that a key path component may not contain '\' and may not be empty. The empty value name
//   is the key's default value.
// - Subkeys enumerate in case-insensitive sorted order, as the Windows registry does.
// - Every change reaches the disk by one atomic replacement of the hive file, merged under a lock
//   with what other processes wrote meanwhile. A `Hive::Batch` collects several changes into one
//   replacement (a whole settings save, a whole search-folder tree save).
// - A hive file that cannot be parsed is moved aside (the report says where) and never overwritten;
//   reads then see an empty hive. Reads never fail loudly: a missing key or value is "none".
// - Failed writes are reported through the returned `RegStatus`; the in-memory view keeps the change
//   so that a later successful write still carries it.
// - Writes to a key that another process deleted meanwhile recreate it (the later writer wins);
//   writing to a key path makes it exist, as createKey would. Deleting a missing value or key
//   returns a failed status and changes nothing.
// - Values enumerate in case-insensitive sorted order too (valueNames()).
// - A Hive is used from one thread at a time; two Hive objects (in one process or in several) on the
//   same file see each other's committed writes at their next access.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os {

class FileSystem;  // os/file_system.h: the seam through which tests inject faults

// Registry value types, with the Windows numbers.
enum class RegType : uint32_t { String = 1, Binary = 3, Dword = 4 };

struct RegValue {
    RegType type = RegType::String;
    std::string data;  // REG_SZ: the text without its terminator; REG_DWORD: 4 bytes, little-endian

    static RegValue string(std::string_view text);
    static RegValue dword(uint32_t value);
    static RegValue binary(std::string_view bytes);
    bool operator==(const RegValue&) const = default;
};

// The outcome of a write. `ok` false carries a one-line reason for the user ("disk full while
// saving ~/.config/skimmer/registry.reg").
struct RegStatus {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
};

class Hive;

// One value as a walk of keys hands it over (RegKey::forEachKeyBelow); the views last for the call only.
struct RegValueView {
    std::string_view name;
    RegType type = RegType::String;
    std::string_view data;
};

// An open key, like an HKEY: valid until destroyed. Opening without creating fails for a missing key.
class RegKey {
public:
    RegKey(Hive& hive, std::string path) : hive_(&hive), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    std::optional<uint32_t> readDword(std::string_view name) const;   // none: missing or not REG_DWORD
    std::optional<std::string> readString(std::string_view name) const;  // none: missing or not REG_SZ
    std::optional<RegValue> readValue(std::string_view name) const;
    std::optional<size_t> dataSize(std::string_view name) const;  // REG_SZ counts its terminator
    std::optional<std::string> subkey(size_t index) const;  // index-th subkey name, sorted; none past the end
    std::vector<std::string> subkeys() const;
    std::vector<std::string> valueNames() const;
    // Every value of the key in valueNames() order, looked up once: a reader of a whole key does
    // not pay one search per value. `visit` must not change the hive.
    void forEachValue(const std::function<void(std::string_view name, const RegValue& value)>& visit) const;
    // Every key below this one, parents before children and siblings in subkeys() order, each with
    // its name, its depth (1: a subkey of this key) and all its values: a whole subtree read in one
    // pass, without a lookup per key. `visit` must not change the hive.
    using KeyVisit = std::function<void(size_t depth, std::string_view name, std::span<const RegValueView> values)>;
    void forEachKeyBelow(const KeyVisit& visit) const;

    RegStatus writeDword(std::string_view name, uint32_t value);
    RegStatus writeString(std::string_view name, std::string_view text);
    RegStatus writeBinary(std::string_view name, std::string_view bytes);
    RegStatus deleteValue(std::string_view name);

private:
    Hive* hive_;
    std::string path_;
};

class Hive {
public:
    // The hive at $XDG_CONFIG_HOME/skimmer/registry.reg (or ~/.config/...).
    static std::filesystem::path defaultPath();

    // `fs` defaults to the real file system; `report` receives one-line notices for the user
    // (a damaged file moved aside), once per event. Nothing is read until first use.
    explicit Hive(std::filesystem::path file, FileSystem* fs = nullptr,
                  std::function<void(const std::string&)> report = {});
    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    const std::filesystem::path& file() const;

    std::optional<RegKey> openKey(std::string_view path);    // none when the key does not exist
    // Creates missing keys on the way. None only for an invalid path. When the write fails the key
    // still exists in this Hive's view (the change is kept for the next write) and `status`, if
    // given, receives the error.
    std::optional<RegKey> createKey(std::string_view path, RegStatus* status = nullptr);
    RegStatus deleteTree(std::string_view path);  // the key, its values and all subkeys; not the root

    // Writes changes kept in memory after a failed write (nothing to do: ok).
    RegStatus flush();
    bool hasUnsavedChanges() const;
    // True when the file, as last read, was written by a newer version: reads see defaults and
    // every write fails. Does not read the file itself, so a report callback may ask it.
    bool writtenByNewerVersion() const;

    // While a Batch is alive, writes through this Hive are collected and reach the disk together
    // at commit() (or are discarded if the Batch is destroyed without commit). Batches nest: only
    // the outermost commit writes. Reads inside a batch see the file as it was when the outermost
    // batch began plus the batch's own writes (a consistent view, looked at once); the commit
    // still merges onto whatever the file holds by then.
    class Batch {
    public:
        explicit Batch(Hive& hive);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        RegStatus commit();

    private:
        Hive& hive_;
        size_t mark_;  // the change log's length when the batch began: discarding rolls back to it
        bool done_ = false;
    };

    // Implementation state lives behind this pointer; RegKey and Batch reach it through Hive.
    struct Impl;
    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace skimmer::os
