// A panel's entries as FCTL_GETPANELINFO hands them to plug-ins: FAR's PluginPanelItem, one per
// entry in the order shown, PPIF_SELECTED on the selected ones, names cut to FAR_MAX_PATH.
//
// Contract: the items point to no memory of the panel (names are copied into the items).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "far/panel.h"
#include "host/app/panel_list.h"
#include "host/services/info_string.h"

namespace skimmer::host::app {

// A FAR time stamp (100 ns ticks since 1601) for seconds since 1970.
FILETIME farFileTime(int64_t unixSeconds);

PluginPanelItem entryItem(const PanelEntry& e);
std::vector<PluginPanelItem> entryItems(const PanelList& panel);

}  // namespace skimmer::host::app
