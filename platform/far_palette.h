// FAR's current colour palette, as FAR keeps it in its registry key "Colors", value
// "CurrentPalette" (REG_BINARY, one attribute byte per palette index).
//
// Contract: the result always has at least kFarPaletteSize bytes, so every palette index the
// plug-in reads exists: a stored value overlays FAR's default palette from index 0 (a shorter
// value changes only its prefix, a longer one is kept whole). When the key or the value cannot
// be read, language message 1 is shown in the error box and FAR's default palette is returned.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/host_tables.h"
#include "platform/registry_access.h"

namespace skimmer::platform {

std::vector<uint8_t> ReadFarPalette(const HostTables& host, RegistryAccess* registry, std::string_view farRootKey);

}  // namespace skimmer::platform
