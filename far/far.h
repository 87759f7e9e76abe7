// The whole FAR 1.70 plug-in interface as this project declares it: include this one header.
//
// Contract: everything both sides of the seam share, and nothing else: types, constants, key
// codes, the palette and the .lng reader. Nothing here calls the operating system.
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
