// The search-folder tree in the registry, below PluginsRootKey + "\Skimmer\SKPanel": one key per
// node, named by the node's name, holding "Created", "Modified", "Accessed" (8 bytes each),
// "Desc", "GroupsAsFolders", "AQS", "query", "Advanced", "Max" and "Type"; a node's children are
// subkeys of its key, to any depth.
//
// Contract:
// - SaveFolderTree is one atomic change of the registry (one batch), so a crash or a full disk
//   leaves the old tree or the new one, never a mix and never none. (On Windows' registry a batch
//   is undone when refused but a crash in the middle of it can leave a mix: platform/user_registry.h.) When anything of it is refused
//   nothing is committed and the reason is returned; the stored tree stays as it was. Values other
//   than the node's own in a node's key are left as they are.
// - Several processes share the stored tree. A tree that was loaded (or saved before) carries an
//   image of what this process last knew was stored (panel/folder_image.h); its save applies only
//   what this process changed since — nodes added, deleted, renamed, moved, values edited — to the
//   stored tree as the registry holds it then, and never deletes a node it did not delete. A node
//   another process deleted stays deleted unless this process changed it or something below it.
//   A tree without an image replaces the stored tree: keys of nodes that are gone are removed.
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
platform::RegistryCommit SaveFolderTree(TFolderTree& tree, platform::RegistryAccess* registry,
                                        std::string_view pluginsRootKey);
inline platform::RegistryCommit SaveFolderTree(TFolderTree&& tree, platform::RegistryAccess* registry,
                                               std::string_view pluginsRootKey) {
    return SaveFolderTree(tree, registry, pluginsRootKey);
}

}  // namespace skimmer::panel
