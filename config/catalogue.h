// The catalogue of every setting the plug-in keeps: names, kinds, defaults and whether the save
// pass writes them, in the fixed order that is also the order of the save pass.
#pragma once

#include <cstdint>

#include "config/registry_config.h"

namespace skimmer::config {

// The numbers the settings dialogs accept for the settings kept as text, checked again on every
// read from the registry. The custom window's sides are also kept inside the console when the
// window opens; here is what holds whatever the console: the least that fits the window's items,
// and the most the dialog's four-cell field can hold.
inline constexpr int32_t kLowestWindowHeight = 8;
inline constexpr int32_t kLowestWindowWidth = 30;
inline constexpr int32_t kHighestWindowSide = 9999;
// The drive menu's hot keys are the digits: a number it can show is one of them, or none at all.
inline constexpr int32_t kLowestDriveMenuNumber = 0;
inline constexpr int32_t kHighestDriveMenuNumber = 9;
static_assert(kLowestWindowHeight == 8 && kLowestWindowWidth == 30 && kHighestWindowSide == 9999 &&
              kHighestDriveMenuNumber < 10);

// Resets the table to empty, adds the 42 settings in catalogue order and loads them from the
// registry (missing values keep their defaults). The table's location and error sink are kept.
void configSetupCatalogue(TRegistryConfig& config);

}  // namespace skimmer::config
