#include "search/list_filing.h"

#include "dialogs/list_box_ex.h"
#include "far/dialog.h"

namespace skimmer::search {
namespace {

LONG_PTR send(const TListTarget& list, int msg, LONG_PTR param2) {
    return list.SendDlgMessage(list.Dialog, msg, kItemList, param2);
}

template <typename T>
LONG_PTR addressOf(const T& record) {
    return reinterpret_cast<LONG_PTR>(&record);
}

}  // namespace

void EnableListRedraw(const TListTarget& list, bool enable) {
    if (!list.Active()) return;
    list.SendDlgMessage(list.Dialog, DM_ENABLEREDRAW, enable ? 1 : 0, 0);
}

void AddListLine(const TListTarget& list, int32_t index, const dialogs::TListBoxExItem& row,
                 const results::TDynamicSearchResult* node) {
    if (!list.Active()) return;
    dialogs::TListBoxExAddItem add;
    add.Items.push_back(row);
    send(list, dialogs::DM_LBX_ADDITEMS, addressOf(add));
    const dialogs::TListBoxExIndexData data{index, 80, reinterpret_cast<LONG_PTR>(node)};
    send(list, dialogs::DM_LBX_SETINDEXDATA, addressOf(data));
}

void SetListCursor(const TListTarget& list, int32_t current, int32_t top) {
    if (!list.Active()) return;
    const dialogs::TListBoxExPos pos{current, top};
    send(list, dialogs::DM_LBX_SETCURPOS, addressOf(pos));
}

void ClearList(const TListTarget& list) {
    if (!list.Active()) return;
    const dialogs::TListBoxExRange all{0, 0};
    send(list, dialogs::DM_LBX_DELETE, addressOf(all));
}

}  // namespace skimmer::search
