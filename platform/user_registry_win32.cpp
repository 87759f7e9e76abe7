#include "platform/user_registry.h"

#include <optional>
#include <variant>
#include <vector>

#include "os/win_registry.h"

namespace skimmer::platform {

namespace {

// A key as it was before a batch deleted it: its values exactly as stored, and its subkeys.
struct SavedTree {
    std::vector<std::pair<std::string, os::WinRegRawValue>> values;
    std::vector<std::pair<std::string, SavedTree>> children;
};

SavedTree saveTree(const os::WinRegKey& key) {
    SavedTree tree{key.rawValues(), {}};
    for (const std::string& name : key.subkeys())
        if (auto child = os::WinRegKey::open(joinKeyPath(key.path(), name)))
            tree.children.emplace_back(name, saveTree(*child));
    return tree;
}

os::RegStatus restoreTree(const std::string& path, const SavedTree& tree) {
    os::RegStatus status;
    auto key = os::WinRegKey::create(path, &status);
    if (!key) return status;
    for (const auto& [name, value] : tree.values)
        if (auto written = key->writeRaw(name, value); !written) return written;
    for (const auto& [name, child] : tree.children)
        if (auto restored = restoreTree(joinKeyPath(path, name), child); !restored) return restored;
    return {};
}

// What one write of a batch overwrote, enough to put it back.
struct ValueBefore {
    std::string key, name;
    std::optional<os::WinRegRawValue> value;  // none: the value did not exist
};
struct KeyMade {
    std::string path;  // the topmost key the write created; undone with everything below it
};
struct TreeBefore {
    std::string path;
    SavedTree tree;
};
using JournalEntry = std::variant<ValueBefore, KeyMade, TreeBefore>;

os::RegStatus undo(const ValueBefore& entry) {
    auto key = os::WinRegKey::open(entry.key);
    if (!key) return {false, "cannot reopen HKEY_CURRENT_USER\\" + entry.key};
    return entry.value ? key->writeRaw(entry.name, *entry.value) : key->deleteValue(entry.name);
}
os::RegStatus undo(const KeyMade& entry) { return os::deleteWinRegTree(entry.path); }
os::RegStatus undo(const TreeBefore& entry) { return restoreTree(entry.path, entry.tree); }

// The batches alive and what their writes overwrote, oldest first.
class Journal {
public:
    explicit Journal(std::function<void(const std::string&)> report) : report_(std::move(report)) {}

    bool recording() const { return depth_ > 0; }
    void add(JournalEntry entry) { entries_.push_back(std::move(entry)); }

    size_t begin() {
        ++depth_;
        return entries_.size();
    }
    // The outermost commit makes the writes final; an inner one leaves them to its outer batch.
    void commit() {
        if (--depth_ == 0) entries_.clear();
    }
    // Undoes, newest first, every write since `mark`. A step that fails is reported and the rest
    // still run: each entry restores its own key or value, independently of the others.
    void abandon(size_t mark) {
        --depth_;
        while (entries_.size() > mark) {
            const os::RegStatus status = std::visit([](const auto& entry) { return undo(entry); }, entries_.back());
            if (!status && report_) report_("A registry change could not be undone: " + status.error);
            entries_.pop_back();
        }
    }

private:
    std::function<void(const std::string&)> report_;
    std::vector<JournalEntry> entries_;
    int depth_ = 0;
};

class WinKey final : public RegistryKey {
public:
    WinKey(os::WinRegKey key, Journal& journal) : key_(std::move(key)), journal_(journal) {}

    std::optional<uint32_t> readDword(std::string_view name) const override {
        const auto value = key_.readValue(name);
        if (!value || value->type != os::RegType::Dword) return std::nullopt;
        const auto* b = reinterpret_cast<const unsigned char*>(value->data.data());
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    std::optional<std::string> readString(std::string_view name) const override {
        return read(name, os::RegType::String);
    }
    std::optional<std::string> readBinary(std::string_view name) const override {
        return read(name, os::RegType::Binary);
    }
    void readValues(const std::function<void(const RegistryValue&)>& visit) const override {
        for (const auto& [name, value] : key_.values())
            visit({.name = name, .type = typeOf(value.type), .data = value.data});
    }
    std::vector<std::string> subkeys() const override { return key_.subkeys(); }

    bool writeDword(std::string_view name, uint32_t value) override {
        const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
        return write(name, {os::RegType::Dword, std::string(bytes, 4)});
    }
    bool writeString(std::string_view name, std::string_view text) override {
        return write(name, {os::RegType::String, std::string(text)});
    }
    bool writeBinary(std::string_view name, std::string_view bytes) override {
        return write(name, {os::RegType::Binary, std::string(bytes)});
    }

private:
    static RegistryValueType typeOf(os::RegType type) {
        switch (type) {
            case os::RegType::String: return RegistryValueType::String;
            case os::RegType::Dword: return RegistryValueType::Dword;
            case os::RegType::Binary: break;
        }
        return RegistryValueType::Binary;
    }
    std::optional<std::string> read(std::string_view name, os::RegType type) const {
        auto value = key_.readValue(name);
        if (!value || value->type != type) return std::nullopt;
        return std::move(value->data);
    }
    bool write(std::string_view name, const os::RegValue& value) {
        if (journal_.recording()) journal_.add(ValueBefore{key_.path(), std::string(name), key_.readRaw(name)});
        return key_.writeValue(name, value).ok;
    }

    os::WinRegKey key_;
    Journal& journal_;
};

class WinBatch final : public RegistryBatch {
public:
    explicit WinBatch(Journal& journal) : journal_(journal), mark_(journal.begin()) {}
    ~WinBatch() override {
        if (!done_) journal_.abandon(mark_);
    }
    RegistryCommit commit() override {
        if (!done_) journal_.commit();
        done_ = true;
        return {};  // every write already reached the registry, or was refused when it was made
    }

private:
    Journal& journal_;
    size_t mark_;
    bool done_ = false;
};

class WinUserRegistry final : public RegistryAccess {
public:
    explicit WinUserRegistry(std::function<void(const std::string&)> report) : journal_(std::move(report)) {}

    std::unique_ptr<RegistryKey> openKey(std::string_view path) override {
        auto key = os::WinRegKey::open(path);
        if (!key) return nullptr;
        return std::make_unique<WinKey>(std::move(*key), journal_);
    }
    std::unique_ptr<RegistryKey> createKey(std::string_view path) override {
        std::optional<std::string> made = journal_.recording() ? firstMissing(path) : std::nullopt;
        auto key = os::WinRegKey::create(path);
        if (!key) return nullptr;  // nothing was made, nothing to undo
        if (made) journal_.add(KeyMade{std::move(*made)});
        return std::make_unique<WinKey>(std::move(*key), journal_);
    }
    std::unique_ptr<RegistryBatch> beginBatch() override { return std::make_unique<WinBatch>(journal_); }
    bool deleteTree(std::string_view path) override {
        if (journal_.recording()) {
            auto key = os::WinRegKey::open(path);
            if (!key) return false;
            journal_.add(TreeBefore{std::string(path), saveTree(*key)});
        }
        return os::deleteWinRegTree(path).ok;
    }

private:
    // The shortest leading part of `path` that names no key: what creating `path` would make.
    static std::optional<std::string> firstMissing(std::string_view path) {
        for (size_t end = 0; end != std::string_view::npos;) {
            end = path.find('\\', end + 1);
            const std::string_view prefix = path.substr(0, end);
            if (prefix.empty() || prefix.back() == '\\') continue;
            if (!os::winRegKeyExists(prefix)) return std::string(prefix);
        }
        return std::nullopt;
    }

    Journal journal_;
};

}  // namespace

std::unique_ptr<RegistryAccess> openUserRegistry(std::function<void(const std::string&)> report) {
    return std::make_unique<WinUserRegistry>(std::move(report));
}

}  // namespace skimmer::platform
