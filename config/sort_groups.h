// The user-defined result groups: at most seven named restrictions of the search, kept in the
// registry below the settings key in "SKSGroups" ("num" and one "Group<n>" subkey per group).
//
// Contract: loading never keeps more than kMaxSortGroups groups — a larger or negative "num" is
// clamped to 0..7 — and never reports registry failures: missing values read as empty or 0.
// Loading creates the "SKSGroups" key when it is missing (so that saves find it); saving writes
// nothing when that key is missing, and otherwise writes the count and every group in use as
// one change on disk. Subkeys beyond the count are neither read nor removed.
// Several processes share the groups: changeSortGroups applies one change of the list to the
// groups as the registry holds them at that moment and writes only the values that change makes
// differ, so a group another process added, edited or removed meanwhile stays as it left it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
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

// One change of the list, made on a fresh read: in one batch, the groups are read again, `change`
// is applied to them (false: it has nothing to do, and nothing is written), and the values that
// then differ from the read are written. `groups` receives the changed list, also when the disk
// refused it (the change then stays in memory and the reason goes to `error`); after a change
// with nothing to do it receives the list as read. False only when the disk refused.
bool changeSortGroups(TSKSSortGroups& groups, const SettingsLocation& where,
                      const std::function<bool(TSKSSortGroups&)>& change, std::string* error = nullptr);
// The index of the first group in use equal to `group`, preferring `hint` when that one is; -1
// when none is: how a change made on a list shown earlier finds its group in a fresh read.
int32_t findSortGroup(const TSKSSortGroups& groups, const TSKSSortGroup& group, int32_t hint);

}  // namespace skimmer::config
