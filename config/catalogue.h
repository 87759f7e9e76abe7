// The catalogue of every setting the plug-in keeps: names, kinds, defaults and whether the save
// pass writes them, in the fixed order that is also the order of the save pass.
#pragma once

#include "config/registry_config.h"

namespace skimmer::config {

// Resets the table to empty, adds the 42 settings in catalogue order and loads them from the
// registry (missing values keep their defaults). The table's location and error sink are kept.
void configSetupCatalogue(TRegistryConfig& config);

}  // namespace skimmer::config
