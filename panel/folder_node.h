// The search-folder tree: one node (TFiles) per directory, search folder or hit, linked into
// sibling lists, and every operation that reads or changes the tree.
//
// Contract:
// - A node owns its `Children` list and its `Next` sibling; destroying a node destroys both, walking
//   long sibling lists iteratively (a folder of a million hits never deepens the stack).
// - Names are compared exactly (byte for byte). No level holds two nodes of one name: every path
//   that adds or renames a node asks FindByName / NameTakenByOther first, and UniqueSiblingName
//   settles the names a stored tree or an import brings in.
// - A name is at most kMaxNodeName bytes without NUL: what a FAR panel item's file name can carry
//   whole. FitNodeName makes any text such a name, cutting only between whole UTF-8 characters.
// - Instead of FAR's 4 KB panel item, a node keeps the few members it uses (TNodeItem); the panel
//   builds FAR's item when it lists the node.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "far/find_data.h"
#include "panel/folder_image.h"
#include "results/search_result.h"

namespace skimmer::panel {

// The sign in a panel item's Flags that it comes from this plug-in's panel.
inline constexpr DWORD kPanelItemMark = 1234;

// Node kinds (`Type`).
inline constexpr int32_t kTypeDirectory = 0;
inline constexpr int32_t kTypeSessionDirectory = 1;
inline constexpr int32_t kTypeSearchFolder = 2;
inline constexpr int32_t kTypeForeignDirectory = 3;
inline constexpr int32_t kTypeSpecialSearchFolder = 4;
inline constexpr int32_t kTypeHit = 5;

inline constexpr size_t kMaxNodeName = FAR_MAX_PATH - 1;

inline constexpr DWORD kAttributeDirectory = 0x10;
inline constexpr DWORD kAttributeArchive = 0x20;
inline constexpr DWORD kAttributeHiddenReadOnly = 0x3;  // hidden 0x2, read-only 0x1

bool IsDirectoryKind(int32_t type);     // 0, 1, 3
bool IsSearchFolderKind(int32_t type);  // 2, 4

// What a node keeps of its panel item.
struct TNodeItem {
    DWORD Attributes = 0;
    uint64_t Created = 0;   // FILETIME ticks, UTC
    uint64_t Accessed = 0;
    uint64_t Modified = 0;
    uint64_t Size = 0;
    DWORD Flags = 0;
    std::string AlternateName;  // a hit's short name, as found on disk
};

// A number no other node of this module has had: what tells a renamed or moved node from a new
// one when the tree is saved (an address could be reused by a node made after one freed).
uint64_t NewNodeId();

struct TFiles {
    const uint64_t Id = NewNodeId();  // a copy is a new node with an id of its own
    TNodeItem Item;
    std::string Name;
    std::string query;
    std::string Desc;
    std::string AQS;
    std::string Max;
    bool Advanced = false;
    // A hit's record from the engine; null for every other node (a tree of thousands of saved
    // searches does not carry a hit's fields for each).
    std::unique_ptr<results::TSearchResult> Result;
    bool GroupsAsFolders = false;
    int32_t Type = kTypeDirectory;
    std::unique_ptr<TFiles> Children;
    std::unique_ptr<TFiles> Next;

    TFiles() = default;
    ~TFiles();
    TFiles(const TFiles&) = delete;
    TFiles& operator=(const TFiles&) = delete;
};

// A copy of the node's own fields (not its links).
std::unique_ptr<TFiles> CopyNode(const TFiles& node);
// Copies the fields a dialog edits from `from` (name, texts, flags, kind and the item).
void CopyEditableFields(TFiles& to, const TFiles& from);

// The tree with the panel's place in it.
struct TFolderTree {
    std::unique_ptr<TFiles> PanelRoot;
    TStoredImage Stored;  // the stored tree as this process last read or wrote it
};

// Where the panel stands: the first node of the shown list, the list ".." returns to from an empty
// level, and the node whose children are shown (none at the top level).
struct TPanelInstance {
    TFiles* Current = nullptr;
    TFiles* Back = nullptr;
    TFiles* Parent = nullptr;
    bool operator==(const TPanelInstance&) const = default;
};

TFiles* FindParent(const TFolderTree& tree, const TFiles* node);
std::string FolderPath(const TFolderTree& tree, const TFiles* node);
bool FindByName(const TFiles* head, std::string_view name);
bool NameTakenByOther(const TFiles* head, const TFiles* node, std::string_view name);
TFiles* FindNode(const TFiles* head, std::string_view name);  // the first of that name, or null
TFiles* LastNode(TFiles* head);

// Links `node` at the end of the shown level (the node itself, not a copy); returns it.
TFiles* LinkAtEnd(TFolderTree& tree, TPanelInstance& at, std::unique_ptr<TFiles> node);
// A copy of `node` at the end of the shown level.
TFiles* AppendNode(TFolderTree& tree, TPanelInstance& at, const TFiles& node);
// The editable fields of `edited` into `node`, last-access and last-write times := now.
void UpdateNode(TFiles& node, const TFiles& edited, uint64_t now);
// Unlinks `node` from the list that `head` starts (moving the list's owner and `head` on when it was
// first) and frees it with its subtree. Nothing happens when it is not in that list.
void RemoveNode(TFolderTree& tree, TFiles*& head, TFiles* node);
// Frees every node of `owner`'s children.
void ClearChildren(TFiles& owner);

// `text` as a node name: NUL bytes become '_', and the text is cut to kMaxNodeName bytes between
// whole characters.
std::string FitNodeName(std::string_view text);
// `name`, or `name` + " (2)", " (3)"... : the first that no node of the list has (the list's node
// `self` excepted).
std::string UniqueSiblingName(const TFiles* head, const TFiles* self, const std::string& name);

}  // namespace skimmer::panel
