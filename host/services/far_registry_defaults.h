// FAR's own registry keys that a plug-in reads and a real FAR would have written at its first
// start: the colour palette, the file highlight groups and the Temporary Panel's command prefix.
//
// Contract:
// - Writes only what is missing, at FAR's granularity: the `Colors\CurrentPalette` value when it
//   is absent; all highlight groups when the `Colors\Highlight` key is absent (a user who edited
//   or removed groups keeps that); the `Plugins\TmpPanel\Prefix` value when it is absent. A value
//   the user changed is never overwritten.
// - Everything missing goes to the hive in one atomic replacement (os/registry.h Hive::Batch);
//   when nothing is missing the hive file is not touched.
// - A failed write is reported through the returned status; nothing is half-written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "os/registry.h"

namespace skimmer::host::services {

inline constexpr std::string_view kFarRootKey = "Software\\Far";

// One default value: key path below HKEY_CURRENT_USER, value name, data.
struct RegistryDefault {
    std::string key;
    std::string name;
    os::RegValue value;
};

// FAR 1.70's default highlight groups as registry values, below `root`\Colors\Highlight\GroupN.
// Values that are 0 are not listed, as FAR does not write them.
std::vector<RegistryDefault> defaultHighlightGroups(std::string_view root = kFarRootKey);

struct DefaultsOutcome {
    os::RegStatus status;
    size_t valuesWritten = 0;
};

DefaultsOutcome writeFarRegistryDefaults(os::Hive& hive, std::string_view root = kFarRootKey);

}  // namespace skimmer::host::services
