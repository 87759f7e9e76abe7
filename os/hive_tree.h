// The registry hive in memory: a tree of keys holding typed values, and the change operations
// that both the in-memory view and the merge onto a freshly read file replay.
//
// Contract: names are case-insensitive and case-preserving. Maps are keyed by the folded name
// (foldName), so iteration is the registry's case-insensitive sorted order; the stored `name`
// keeps the spelling under which the entry was first created. Nothing here touches the disk.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/hive_values.h"
#include "os/registry.h"

namespace skimmer::os {

// Limits that keep hostile files and callers from exhausting memory; the parser and the writers
// enforce the same numbers, so everything that can be written can be read back.
inline constexpr size_t kMaxNameBytes = 16383;
inline constexpr size_t kMaxKeyDepth = 512;
inline constexpr size_t kMaxValueBytes = size_t{1} << 20;

// The key for case-insensitive comparison and ordering: UTF-8 code points upper-cased by simple
// Unicode case mapping; bytes that are not valid UTF-8 are kept as they are.
std::string foldName(std::string_view name);

struct HiveKey {
    std::string name;
    HiveValues values;                        // in foldName order, looked up by any spelling
    std::map<std::string, HiveKey> subkeys;   // by folded name
    bool operator==(const HiveKey&) const = default;
};

// Splits "A\B\C" into components; "" is the root (no components). None for an empty component,
// a component or value too long, or a path deeper than kMaxKeyDepth.
std::optional<std::vector<std::string>> splitKeyPath(std::string_view path);

const HiveKey* findKey(const HiveKey& root, const std::vector<std::string>& path);
HiveKey* findKey(HiveKey& root, const std::vector<std::string>& path);
// Finds or creates every key on the way; new keys take the spelling given here.
HiveKey& ensureKey(HiveKey& root, const std::vector<std::string>& path);

// Whether a value may be stored (sizes within the limits, a DWORD exactly four bytes).
bool validValue(std::string_view name, const RegValue& value);

struct HiveChange {
    enum class Kind { CreateKey, SetValue, DeleteValue, DeleteTree };
    Kind kind = Kind::CreateKey;
    std::vector<std::string> path;
    std::string name;  // SetValue, DeleteValue
    RegValue value;    // SetValue
};

// Replays one change. Setting a value creates its key if another process deleted it meanwhile
// (the later writer wins); deleting what is already gone does nothing; DeleteTree of the root
// empties the hive.
void applyChange(HiveKey& root, const HiveChange& change);

// What takes one applied change back, exactly: the keys it created, the value it replaced or
// removed, the subtree it removed (moved here, not copied).
struct HiveUndo {
    size_t existed = 0;                      // how many of the path's keys were there before
    std::optional<HiveValue> value;          // SetValue, DeleteValue: the value before
    std::map<std::string, HiveKey>::node_type subtree;  // DeleteTree below the root
    std::optional<HiveKey> root;             // DeleteTree of the root
};

// applyChange, remembering what undoChange needs. Changes are undone newest first, each on the
// tree as its own application left it.
HiveUndo applyChangeUndoable(HiveKey& root, const HiveChange& change);
void undoChange(HiveKey& root, const HiveChange& change, HiveUndo undo);

}  // namespace skimmer::os
