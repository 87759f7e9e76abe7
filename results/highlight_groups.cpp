#include "results/highlight_groups.h"

#include <algorithm>
#include <vector>

#include "far/standard_functions.h"

namespace skimmer::results {
namespace {

constexpr std::string_view kHighlightKey = "Colors\\Highlight";

THLGroup readGroup(const platform::RegistryKey& key) {
    THLGroup group;
    group.NormalColor = static_cast<uint8_t>(key.readDword("NormalColor").value_or(0) & 0xFF);
    group.CursorColor = static_cast<uint8_t>(key.readDword("CursorColor").value_or(0) & 0xFF);
    if (key.readDword("IgnoreMask").value_or(0) == 0) {
        group.Mask = key.readString("Mask").value_or("");
        // ';' separates masks as ',' does. '|' stays: what follows it are exclusions, which the
        // host's name matching honours; read as ',' they would colour the very names excluded.
        std::replace(group.Mask.begin(), group.Mask.end(), ';', ',');
    }
    group.ExcludeAttributes = key.readDword("ExcludeAttributes").value_or(0);
    group.IncludeAttributes = key.readDword("IncludeAttributes").value_or(0);
    return group;
}

}  // namespace

void LoadHighlightGroups(THLGroups& table, platform::RegistryAccess* registry, std::string_view FarRootKey) {
    if (!registry) return;
    const std::string base = platform::joinKeyPath(FarRootKey, kHighlightKey);
    if (!registry->openKey(base)) return;
    table.Groups.clear();
    for (int n = 0; n < kMaxHighlightGroups; ++n) {
        auto key = registry->openKey(platform::joinKeyPath(base, "Group" + std::to_string(n)));
        if (!key) break;
        table.Groups.push_back(readGroup(*key));
    }
}

TMaskMatcher HostMaskMatcher(const platform::HostTables& host) {
    const FARSTDPROCESSNAME processName = host.StandardFunctions.ProcessName;
    return [processName](std::string_view masks, std::string_view name) {
        if (!processName) return false;
        // ProcessName takes writable, zero-terminated texts; it only reads them for a compare.
        std::string maskText(masks);
        std::vector<char> nameText(name.begin(), name.end());
        nameText.push_back('\0');
        return processName(maskText.c_str(), nameText.data(), PN_CMPNAMELIST) != 0;
    };
}

std::optional<THighlightColors> MatchHighlightGroups(const THLGroups& table, const TMaskMatcher& match,
                                                     std::string_view title, uint32_t attributes,
                                                     THighlightColors fallback) {
    std::optional<THighlightColors> found;
    if (!match) return found;
    for (const THLGroup& group : table.Groups) {
        if (group.Mask.empty()) continue;
        if (group.IncludeAttributes != 0 && (group.IncludeAttributes & attributes) == 0) continue;
        if (group.ExcludeAttributes != 0 && (attributes & ~group.ExcludeAttributes) != 0) continue;
        if (!match(group.Mask, title)) continue;
        found = THighlightColors{group.NormalColor ? group.NormalColor : fallback.Normal,
                                 group.CursorColor ? group.CursorColor : fallback.Cursor};
    }
    return found;
}

}  // namespace skimmer::results
