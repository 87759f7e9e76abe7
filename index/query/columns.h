// The properties a record set can return, by their System.* names, and how each is produced
// from an item's row.
//
// Contract: names compare ignoring ASCII case; a list may name a column more than once and
// every copy is returned. Unknown names and empty lists are refused (`parseColumns` → none).
//   System.ItemName               text: the item's name (an application's display name)
//   System.Size                   integer bytes, or empty when unknown
//   System.Kind                   text: the kind's display name ("Program", "Document", ...)
//   System.ItemURL                text: "file:" + path for files, the stored URL otherwise
//   System.ItemPathDisplay        text: the full path for files, the display text otherwise
//   System.ItemFolderPathDisplay  text: the folder's path; empty for items outside the file system
//   System.FileExtension          text: "." + extension, or empty
//   System.DateModified           date, or empty when unknown
//   System.DateCreated            date, or empty when unknown
//   System.FileAttributes         integer: Windows attribute bits (read-only 0x1, hidden 0x2,
//                                 directory 0x10, normal 0x80, reparse point 0x400)
#pragma once

#include "index/query/item_rows.h"
#include "index/query/variant.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

enum class Column {
    ItemName, Size, Kind, ItemURL, ItemPathDisplay, ItemFolderPathDisplay, FileExtension,
    DateModified, DateCreated, FileAttributes,
};

// Comma-separated names (blanks around them ignored) → columns in order; none if any is unknown.
std::optional<std::vector<Column>> parseColumns(std::string_view list, std::string& unknown);

// Writes one row's cells for `columns`, in order, to `cells` (room for columns.size()), their
// texts written into `texts`. A file's URL, path, folder and name are views of one "file:<path>"
// text, and a kind's is static: a row costs one copy of its path and no allocation of its own.
void makeCells(const std::vector<Column>& columns, const ItemView& row, CellTexts& texts, CellDraft* cells);

}  // namespace skimmer::index::query
