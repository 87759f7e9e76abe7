// The messages that put filed lines into the search window's extended list box: redrawing off
// and on, one row added per line with its chain node as the row's index data, the first cursor
// position, and emptying the list for a new search.
//
// Contract: every call goes through the host's SendDlgMessage to the window's list (kItemList) of
// one dialog; a target without a dialog or without the service sends nothing (a search may run
// headless). The list box copies each row it is given; the caller keeps ownership of its own.
#pragma once

#include <cstdint>

#include "dialogs/list_box_ex_item.h"
#include "far/plugin.h"
#include "results/result_chain.h"
#include "search/window_items.h"

namespace skimmer::search {

struct TListTarget {
    FARAPISENDDLGMESSAGE SendDlgMessage = nullptr;
    HANDLE Dialog = nullptr;

    bool Active() const { return SendDlgMessage != nullptr && Dialog != nullptr; }
};

void EnableListRedraw(const TListTarget& list, bool enable);
// DM_LBX_ADDITEMS with the row, then DM_LBX_SETINDEXDATA(index, node).
void AddListLine(const TListTarget& list, int32_t index, const dialogs::TListBoxExItem& row,
                 const results::TDynamicSearchResult* node);
void SetListCursor(const TListTarget& list, int32_t current, int32_t top);
// DM_LBX_DELETE with (0, 0): every row.
void ClearList(const TListTarget& list);

}  // namespace skimmer::search
