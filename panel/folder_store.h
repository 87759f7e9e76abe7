// The search-folder tree in the registry, below PluginsRootKey + "\Skimmer\SKPanel": one key per
// node, named by the node's name, holding "Created", "Modified", "Accessed" (8 bytes each),
// "Desc", "GroupsAsFolders", "AQS", "query", "Advanced", "Max" and "Type"; a node's children are
// subkeys of its key, to any depth.
//
// Contract:
// - SaveFolderTree replaces the stored tree by the tree in memory as one atomic change of the
//   registry (one batch: keys of nodes that are gone removed, the values that differ written), so a
//   crash or a full disk leaves the old tree or the new one, never a mix and never none. When
//   anything of it is refused nothing is committed and the reason is returned; the stored tree
//   stays as it was. Values other than the node's own in a node's key are left as they are.
// - Every node is stored except hits (they come from running a query) and the blank node of a
//   running search; children are stored below every kind of node, so directories that are only
//   shown for a session keep their stored contents across saves.
// - A name that cannot be a key name as it stands (it holds "\", or differs only in letter case
//   from a sibling's, since key names ignore case) is stored under a generated key name "#<n>"
//   with the real name in a "Name" value. A key with a "Name" value loads under that name.
// - LoadFolderTree never changes the registry. Values that are missing or of another type load as
//   empty or zero; a key that cannot be opened is skipped, the rest loads. Two loaded siblings of
//   one name (a hand-edited hive) are kept both, the later one renamed with " (2)", " (3)"...;
//   a name longer than a panel item can carry is cut between whole characters. Siblings keep the
//   registry's enumeration order.
#pragma once

#include <string>
#include <string_view>

#include "panel/folder_node.h"
#include "platform/registry_access.h"

namespace skimmer::panel {

inline constexpr std::string_view kTreeKeyName = "SKPanel";
inline constexpr std::string_view kNameValue = "Name";
inline constexpr size_t kTimeValueBytes = 8;

// PluginsRootKey + "\Skimmer\SKPanel".
std::string FolderTreeKey(std::string_view pluginsRootKey);

void LoadFolderTree(TFolderTree& tree, platform::RegistryAccess* registry, std::string_view pluginsRootKey);
platform::RegistryCommit SaveFolderTree(const TFolderTree& tree, platform::RegistryAccess* registry,
                                        std::string_view pluginsRootKey);

}  // namespace skimmer::panel
