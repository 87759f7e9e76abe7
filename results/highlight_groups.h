// FAR's file highlight groups, read from FAR's own registry keys, and the colours they give a hit.
//
// Contract: loading reads `FarRootKey`\Colors\Highlight\Group0, Group1, ... up to the first group
// that does not open, and keeps at most kMaxHighlightGroups (reading stops there, so the table's
// bound holds). Missing values read as 0 or empty; nothing is reported. A group whose "IgnoreMask"
// is set keeps an empty mask and therefore never matches a hit. Masks are matched by the function
// the caller passes (in the plug-in: the host's ProcessName), never by our own code.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host_tables.h"
#include "platform/registry_access.h"

namespace skimmer::results {

constexpr int kMaxHighlightGroups = 101;

struct THLGroup {
    uint8_t NormalColor = 0;
    uint8_t CursorColor = 0;
    std::string Mask;          // comma-separated (';' of the stored text became ','); exclusions after '|'
    std::string SecondMask;    // not used by the result lines
    uint32_t IncludeAttributes = 0;
    uint32_t ExcludeAttributes = 0;
    bool operator==(const THLGroup&) const = default;
};

struct THLGroups {
    std::vector<THLGroup> Groups;  // HLGroupCount = Groups.size()
    int HLGroupCount() const { return static_cast<int>(Groups.size()); }
};

// Fills `table` from the registry. When the "Colors\Highlight" key does not exist the table is
// left unchanged.
void LoadHighlightGroups(THLGroups& table, platform::RegistryAccess* registry, std::string_view FarRootKey);

// True when `name` matches the comma-separated `masks`.
using TMaskMatcher = std::function<bool(std::string_view masks, std::string_view name)>;

// The host's ProcessName with PN_CMPNAMELIST; a host without the service matches nothing.
TMaskMatcher HostMaskMatcher(const platform::HostTables& host);

struct THighlightColors {
    uint8_t Normal = 0;
    uint8_t Cursor = 0;
};

// The colours of the last group that matches `title` with `attributes` (a group's 0 colour falls
// back to `fallback`'s); none when no group matches.
std::optional<THighlightColors> MatchHighlightGroups(const THLGroups& table, const TMaskMatcher& match,
                                                     std::string_view title, uint32_t attributes,
                                                     THighlightColors fallback);

}  // namespace skimmer::results
