// A planted violation: the data a search produces sits below the dialog toolkit, so results/ may
// not include dialogs/ (a hit record that carried a list row would). The layering check must
// reject this tree.
#pragma once

#include "dialogs/list_box_ex_item.h"
#include "results/search_result.h"
