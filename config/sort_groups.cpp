#include "config/sort_groups.h"

#include <algorithm>

namespace skimmer::config {

namespace {

std::string groupsKey(const SettingsLocation& where) { return platform::joinKeyPath(where.key, kSortGroupsKeyName); }

std::string groupKey(const SettingsLocation& where, int32_t index) {
    return platform::joinKeyPath(groupsKey(where), "Group" + std::to_string(index));
}

// Each value is read by itself: one missing or mistyped value leaves the others intact.
void readGroup(const platform::RegistryKey& key, TSKSSortGroup& group) {
    group.Name = key.readString("Name").value_or("");
    group.Kind = key.readString("Kind").value_or("");
    group.Ext = key.readString("Ext").value_or("");
    group.Max = static_cast<int32_t>(key.readDword("Max").value_or(0));
}

// Writes each value of `after` that differs from `before` (the list as read in the same batch).
void writeDifferences(const TSKSSortGroups& before, const TSKSSortGroups& after, const SettingsLocation& where) {
    if (after.SortGroupCount != before.SortGroupCount) {
        if (auto key = where.registry->createKey(groupsKey(where)))
            key->writeDword("num", static_cast<uint32_t>(after.SortGroupCount));
    }
    for (int32_t n = 0; n < after.SortGroupCount; ++n) {
        const TSKSSortGroup& now = after.SortGroups[static_cast<size_t>(n)];
        // A slot beyond the old count may hold a group left behind: every field is written there.
        const bool fresh = n >= before.SortGroupCount;
        const TSKSSortGroup& was = before.SortGroups[static_cast<size_t>(n)];
        if (!fresh && now == was) continue;
        auto key = where.registry->createKey(groupKey(where, n));
        if (!key) continue;
        if (fresh || now.Name != was.Name) key->writeString("Name", now.Name);
        if (fresh || now.Kind != was.Kind) key->writeString("Kind", now.Kind);
        if (fresh || now.Ext != was.Ext) key->writeString("Ext", now.Ext);
        if (fresh || now.Max != was.Max) key->writeDword("Max", static_cast<uint32_t>(now.Max));
    }
}

}  // namespace

void loadSortGroups(TSKSSortGroups& groups, const SettingsLocation& where) {
    if (!where.registry) return;
    {
        auto key = where.registry->createKey(groupsKey(where));
        if (!key) return;
        const auto num = static_cast<int32_t>(key->readDword("num").value_or(0));
        groups.SortGroupCount = std::clamp(num, 0, kMaxSortGroups);
    }
    for (int32_t n = 0; n < groups.SortGroupCount; ++n) {
        if (auto key = where.registry->openKey(groupKey(where, n))) readGroup(*key, groups.SortGroups[n]);
    }
}

bool saveSortGroups(const TSKSSortGroups& groups, const SettingsLocation& where, std::string* error) {
    if (!where.registry) return true;
    // The list never holds more than seven groups, whatever the count says.
    const int32_t count = std::clamp(groups.SortGroupCount, 0, kMaxSortGroups);
    auto batch = where.registry->beginBatch();
    {
        auto key = where.registry->openKey(groupsKey(where));
        if (!key) return true;  // nothing to write into: the load creates the key
        key->writeDword("num", static_cast<uint32_t>(count));
    }
    for (int32_t n = 0; n < count; ++n) {
        auto key = where.registry->createKey(groupKey(where, n));
        if (!key) continue;
        const TSKSSortGroup& group = groups.SortGroups[n];
        key->writeString("Name", group.Name);
        key->writeString("Kind", group.Kind);
        key->writeString("Ext", group.Ext);
        key->writeDword("Max", static_cast<uint32_t>(group.Max));
    }
    const platform::RegistryCommit result = batch ? batch->commit() : platform::RegistryCommit{};
    if (!result.ok && error) *error = result.error;
    return result.ok;
}

}  // namespace skimmer::config

namespace skimmer::config {

bool changeSortGroups(TSKSSortGroups& groups, const SettingsLocation& where,
                      const std::function<bool(TSKSSortGroups&)>& change, std::string* error) {
    if (!where.registry) {
        change(groups);
        return true;
    }
    // The batch holds one view of the registry from the read to the commit, and the commit
    // replays these writes onto whatever another process saved meanwhile, under the lock.
    auto batch = where.registry->beginBatch();
    TSKSSortGroups read;
    loadSortGroups(read, where);
    TSKSSortGroups changed = read;
    if (!change(changed)) {
        groups = read;
        // Only the key the load may have created is written.
        const platform::RegistryCommit result = batch ? batch->commit() : platform::RegistryCommit{};
        if (!result.ok && error) *error = result.error;
        return result.ok;
    }
    changed.SortGroupCount = std::clamp(changed.SortGroupCount, 0, kMaxSortGroups);
    writeDifferences(read, changed, where);
    groups = changed;
    const platform::RegistryCommit result = batch ? batch->commit() : platform::RegistryCommit{};
    if (!result.ok && error) *error = result.error;
    return result.ok;
}

int32_t findSortGroup(const TSKSSortGroups& groups, const TSKSSortGroup& group, int32_t hint) {
    const int32_t count = std::clamp(groups.SortGroupCount, 0, kMaxSortGroups);
    if (hint >= 0 && hint < count && groups.SortGroups[static_cast<size_t>(hint)] == group) return hint;
    for (int32_t n = 0; n < count; ++n)
        if (groups.SortGroups[static_cast<size_t>(n)] == group) return n;
    return -1;
}

}  // namespace skimmer::config
