// Panel items built from nodes: what GetFindData hands to FAR and what the copying and deleting
// operations pass to their nested calls.
//
// Contract: an item's texts point into the TItemBlock that holds the item, never into a node, so
// an item stays valid while its block lives, whatever happens to the tree.
#pragma once

#include <string>

#include "panel/folder_node.h"
#include "panel/panel_state.h"

namespace skimmer::panel {

// The FAR item of a node; its description is added to `block`.
PluginPanelItem MakePanelItem(const TFiles& node, TItemBlock& block);
// The ".." item and the placeholder of an empty level.
PluginPanelItem UpItem();
PluginPanelItem PlaceholderItem(const std::string& text);
// The items of every named child of `owner`.
TItemBlock ChildItems(const TFiles& owner);
// Copies `text` into a FAR name buffer of `size` bytes, cut between whole characters.
void CopyName(char* buffer, size_t size, const std::string& text);

}  // namespace skimmer::panel
