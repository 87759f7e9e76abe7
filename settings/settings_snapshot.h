// The values a registered dialog binds (settings, or its own record's fields), taken before the
// dialog first runs and put back when the user leaves it without accepting: the side buttons
// (About, the editors) copy the items into what they are bound to so that the next dialog sees
// them, and a cancel must not leave those copies behind for some later save to write.
//
// Contract: restore() writes back exactly the values taken, through the dialog's own bindings,
// and touches neither the dialog's items nor the disk. The snapshot keeps the bindings'
// addresses, so what they point into must outlive it, as it must outlive the dialog.
#pragma once

#include <utility>
#include <vector>

#include "config/registry_config.h"
#include "dialogs/registered_dialog.h"

namespace skimmer::settings {

class TSettingsSnapshot {
public:
    explicit TSettingsSnapshot(const dialogs::TRegisteredDialog& Dialog);
    void restore() const;

private:
    std::vector<std::pair<config::TConfigValuePtr, config::TConfigValue>> values_;
};

}  // namespace skimmer::settings
