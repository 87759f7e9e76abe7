// Ctrl+F12: FAR's sort modes menu over a panel's sort order.
//
// Contract: pure (builds entries, reads a choice). The menu lists the nine modes of Ctrl+F3 …
// Ctrl+F11 in that order with their keys, the current mode marked '+' (or '-' when reversed) as
// FAR marks it, then a separator and "Show selected first" (Shift+F12), checked while on. Choosing
// a mode is what its key does (the current one again reverses the order); choosing the option
// toggles it. FAR's "Use sort groups" is left out: the host has no sort groups to honour it.
#pragma once

#include "host/app/panel_host.h"
#include "host/app/sort_order.h"

namespace skimmer::host::app {

MenuOffer sortMenu(const SortOrder& now);

// The order after entry `index` of sortMenu(now) was chosen; `now` for an index that is no entry.
SortOrder chosenSort(const SortOrder& now, int index);

}  // namespace skimmer::host::app
