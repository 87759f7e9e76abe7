// FAR's file masks: the matching behind ProcessName and the highlight groups.
//
// Contract:
// - A mask holds `*` (any run, also empty), `?` (one character) and `[...]` sets of characters and
//   ranges (`[a-c]`, `[0-9x]`); a `[` without its `]` is an ordinary character. Matching is
//   case-insensitive over code points (bytes that are not UTF-8 match only themselves) and runs in
//   time proportional to mask length times name length, whatever the input.
// - As in FAR, a `.` that is left over at the end of a name without a dot matches, so `*.*`
//   matches "README" and `*.` matches only names without an extension.
// - A mask list separates masks with ',' or ';'; a mask in double quotes may contain them; blanks
//   around masks are ignored; after the first '|' come exclusions. A name matches a list when it
//   matches an include mask (or the include part is empty) and no exclusion.
// - Names are never changed or normalised here; paths use '/'.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::services {

bool matchMask(std::string_view mask, std::string_view name);

struct MaskList {
    std::vector<std::string> include;
    std::vector<std::string> exclude;
};
MaskList parseMaskList(std::string_view list);
bool matchMaskList(std::string_view list, std::string_view name);

// The part of a path after its last '/'.
std::string_view nameOfPath(std::string_view path);

// FAR's rename-by-mask: `name` renamed through `mask` ("report.doc" with "*.bak" gives
// "report.bak", with "??x*" gives "rexort.doc"). `*` copies the rest of the corresponding name part,
// `?` its next character, anything else stands for itself; name and extension are treated
// separately (split at the last '.') when the mask has a dot. With `prefixLength` > 0 only that many leading bytes of
// `name` are renamed and the rest is appended unchanged.
std::string generateName(std::string_view name, std::string_view mask, size_t prefixLength = 0);

}  // namespace skimmer::host::services
