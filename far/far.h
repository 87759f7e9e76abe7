// The whole FAR 1.70 plug-in interface as this project declares it: include this one header.
//
// Contract: everything both sides of the seam share, and nothing else: types, constants, key
// codes, the palette and the .lng reader. Nothing here calls the operating system.
//
// Namespaces: FAR's own names (structs, constants, key codes) stay in the global namespace, spelt
// as FAR spells them, so that plug-in code reads like any FAR 1.70 plug-in. What this project adds
// beside them (table sizes, function-pointer types, the default palette) lives in
// `skimmer::farapi`, not `skimmer::far`: the Windows headers the cross-compiled layout check pulls
// in define `far` as an empty macro, which would erase the namespace's name.
#pragma once

#include "far/adv_control.h"
#include "far/calling.h"
#include "far/colors.h"
#include "far/default_palette.h"
#include "far/dialog.h"
#include "far/editor_viewer.h"
#include "far/exports.h"
#include "far/find_data.h"
#include "far/keys.h"
#include "far/layout.h"
#include "far/lng_format.h"
#include "far/messages.h"
#include "far/panel.h"
#include "far/plugin.h"
#include "far/standard_functions.h"
#include "far/vk.h"
#include "far/win_types.h"
