// A header that follows the table (far/ includes only far/), so the planted tree's failure comes
// from os/planted.h alone.
#pragma once

#include "far/win_types.h"
