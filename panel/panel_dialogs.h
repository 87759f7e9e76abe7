// The panel's two registered dialogs — the search folder dialog ("SKPCreateSF") and the directory
// dialog ("SKPCreateDirectory", which also asks where GetFiles copies to) — each over a record of
// its own fields.
//
// Contract: each returns an edited copy of the node it was given, or a copy with an empty Name
// when the user cancelled. The search folder dialog comes back by itself until its name and
// maximum are valid; the callers check that the name is free at its level. Nothing is saved to
// the registry by the dialogs themselves, and the settings table is never written.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "panel/panel_state.h"

namespace skimmer::panel {

std::unique_ptr<TFiles> SearchFolderDialog(TPanel& panel, const TFiles& node);
std::unique_ptr<TFiles> DirectoryDialog(TPanel& panel, const TFiles& node);
// The destination of a copy, offered as `dest`; empty when cancelled.
std::string DestinationDialog(TPanel& panel, const std::string& dest, bool move);

// The maximum field's text as a number: leading blanks, an optional sign, then decimal digits, or hexadecimal
// digits after "$", "x" or "0x", and nothing after; none when it is not such a number.
std::optional<int32_t> ParseMaxText(std::string_view text);
// A name the panel can show as an item: not empty, not "." or "..".
bool UsableNodeName(std::string_view name);

}  // namespace skimmer::panel
