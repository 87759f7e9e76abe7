// The values of the settings a registered dialog binds, taken before the dialog first runs and
// put back when the user leaves it without accepting: the side buttons (About, the editors) copy
// the items into the live settings so that the next dialog sees them, and a cancel must not leave
// those copies behind for some later save to write.
//
// Contract: restore() writes back exactly the values taken, through the settings table's own
// setter, and touches neither the dialog's items nor the disk. The snapshot keeps names, not
// pointers, so it survives anything done to the table meanwhile.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "config/registry_config.h"
#include "dialogs/registered_dialog.h"

namespace skimmer::settings {

class TSettingsSnapshot {
public:
    explicit TSettingsSnapshot(const dialogs::TRegisteredDialog& Dialog);
    void restore(config::TRegistryConfig& Config) const;

private:
    std::vector<std::pair<std::string, config::TConfigValue>> values_;
};

}  // namespace skimmer::settings
