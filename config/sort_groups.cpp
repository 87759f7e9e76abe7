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
