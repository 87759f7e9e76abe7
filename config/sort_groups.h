// The user-defined result groups: at most seven named restrictions of the search, kept in the
// registry below the settings key in "SKSGroups" ("num" and one "Group<n>" subkey per group).
//
// Contract: loading never keeps more than kMaxSortGroups groups — a larger or negative "num" is
// clamped to 0..7 — and never reports registry failures: missing values read as empty or 0.
// Loading creates the "SKSGroups" key when it is missing (so that saves find it); saving writes
// nothing when that key is missing, and otherwise writes the count and every group in use as
// one change on disk. Subkeys beyond the count are neither read nor removed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/registry_primitives.h"

namespace skimmer::config {

struct TSKSSortGroup {
    std::string Name;
    std::string Kind;
    std::string Ext;
    int32_t Max = 0;
    bool operator==(const TSKSSortGroup&) const = default;
};

constexpr int32_t kMaxSortGroups = 7;

struct TSKSSortGroups {
    std::array<TSKSSortGroup, kMaxSortGroups> SortGroups;
    int32_t SortGroupCount = 0;
};

constexpr std::string_view kSortGroupsKeyName = "SKSGroups";

void loadSortGroups(TSKSSortGroups& groups, const SettingsLocation& where);
// False when the disk refused the change (the reason then goes to `error` when given).
bool saveSortGroups(const TSKSSortGroups& groups, const SettingsLocation& where, std::string* error = nullptr);

}  // namespace skimmer::config
