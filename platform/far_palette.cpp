#include "platform/far_palette.h"

#include <algorithm>

#include "far/default_palette.h"
#include "lng/messages.h"

namespace skimmer::platform {

namespace {

std::optional<std::string> storedPalette(RegistryAccess* registry, std::string_view farRootKey) {
    if (!registry) return std::nullopt;
    auto key = registry->openKey(joinKeyPath(farRootKey, "Colors"));
    if (!key) return std::nullopt;
    return key->readBinary("CurrentPalette");
}

}  // namespace

std::vector<uint8_t> ReadFarPalette(const HostTables& host, RegistryAccess* registry, std::string_view farRootKey) {
    std::vector<uint8_t> palette(farapi::kFarDefaultPalette.begin(), farapi::kFarDefaultPalette.end());
    const auto stored = storedPalette(registry, farRootKey);
    if (!stored) {
        // A settings file that cannot be used at all was reported already; one notice is enough.
        if (registry == nullptr || !registry->unusableAndReported())
            ShowErrorText(host, GetMsgStr(host, lng::kMsgPaletteUnreadable));
        return palette;
    }
    if (stored->size() > palette.size()) palette.resize(stored->size());
    std::copy(stored->begin(), stored->end(), palette.begin());
    return palette;
}

}  // namespace skimmer::platform
