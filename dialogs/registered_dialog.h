// Registered dialogs: a description table (dialog_description.h) turned into FAR dialog items
// whose editable items are bound by name to settings of the configuration store, or to the fields
// of a record of the caller's (dialog_record.h), shown with the host's DialogEx and written back
// into what they are bound to when the user accepts.
//
// Contract:
// - RegisterDialog is the one routine that walks a table. A table it cannot read (an undefined
//   code, a value of the wrong kind, a number out of range, a radio group of more than four
//   options, a table that ends inside an item) is refused whole: the dialog is left empty and the
//   error names the value's position. A setting name the store does not know, or a setting whose
//   kind does not fit the item, is reported through the store's error sink; the item is still
//   shown but its value is neither loaded nor written back. A name the record binds is the
//   record's field, whatever the store holds under that name.
// - Values reach the settings only through ReadBackValues, which RunRegisteredDialog calls when
//   the dialog ends with an item other than the cancel item and other than -1 (Escape); they reach
//   the registry only when the caller asks RunRegisteredDialog to save (or saves by itself). A
//   save the disk refuses is reported once by the store; the values stay in memory.
// - The dialog keeps pointers into the settings table (the live values) and the record's fields:
//   the table must not grow, nor the fields go, while the dialog exists. The dialog owns neither.
//   Nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/registry_config.h"
#include "dialogs/dialog_description.h"
#include "dialogs/dialog_record.h"
#include "far/dialog.h"
#include "platform/host_tables.h"

namespace skimmer::dialogs {

// What a binding's Param holds: the number of items that carry the bound value.
inline constexpr int32_t kParamNone = 0;
inline constexpr int32_t kParamSingle = 1;
inline constexpr int32_t kParamRadio = 4;  // read-back looks at this many options: a group holds at most four

// Data holds this many bytes of text, whole characters only, before its terminating zero.
inline constexpr size_t kMaxItemText = sizeof(FarDialogItem::Data) - 1;
static_assert(kMaxItemText == 511);

struct TDialogBinding {
    int32_t ItemIndex = 0;  // index in Items (entry 0 is the header) of the (first) item
    int32_t Param = kParamNone;
    int32_t Kind = DI_TEXT;  // DI_TEXT, DI_EDIT, DI_BUTTON, DI_CHECKBOX or DI_RADIOBUTTON
    std::string Name;
    config::TConfigValuePtr Value;  // the bound setting's value; monostate when unbound
};

struct TRegisteredDialog {
    int32_t ItemCount = 0;
    std::vector<FarDialogItem> Items;  // entry 0 is the header: X2 the width, Y2 the height
    int32_t NameCount = 0;
    config::TRegistryConfig* Config = nullptr;  // the live settings; not owned
    std::vector<TDialogBinding> Names;
    const TDialogRecord* Record = nullptr;  // the caller's own fields, bound before settings; not owned
};

// The six FAR fields of one item, as AddItem takes them.
struct TItemFields {
    int32_t Type = DI_TEXT;
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    uint32_t Flags = 0;
};

// Fills `Dialog` (replacing what it held) from `Description` over `Config`. False, with `error`
// set and `Dialog` left empty, when the table cannot be read.
bool RegisterDialog(TRegisteredDialog& Dialog, config::TRegistryConfig& Config, const TDialogDescription& Description,
                    std::string& error);
// The same, with the names `Record` binds bound to its fields; `Config` still receives the reports.
bool RegisterDialog(TRegisteredDialog& Dialog, config::TRegistryConfig& Config, const TDialogRecord& Record,
                    const TDialogDescription& Description, std::string& error);

// The common step behind every table entry: appends one FAR item per entry of `Fields` (with the
// text of the same entry of `Texts`) and the binding their first item's type calls for. Returns
// the FAR index of the first item it added (ItemCount - 1 as it was on entry).
int32_t AddItem(TRegisteredDialog& Dialog, const std::vector<TItemFields>& Fields,
                const std::vector<std::string>& Texts, std::string_view Name);

// Shows the dialog with DialogEx (centred, the header's size, items from entry 1) and returns its
// result: the FAR index of the item that closed it, or -1. -1 as well, showing nothing, when the
// dialog is empty or the host has no DialogEx.
int RunRegisteredDialog(const platform::HostTables& host, TRegisteredDialog& Dialog, bool Save, int CancelIndex,
                        DWORD Flags, const char* HelpTopic, FARWINDOWPROC DlgProc);

// Copies the items' values into the bound settings.
void ReadBackValues(TRegisteredDialog& Dialog);

// The registered dialog whose DialogEx is running on this thread, with the host that shows it:
// the one way a registered dialog's procedure reaches its dialog and, through the bindings, the
// values or record it edits (DialogEx hands it no context: its Param is 0).
// RunRegisteredDialog sets it for exactly the length of its DialogEx call; a dialog run from
// inside another's procedure is the running one until it closes, then the outer one is again.
struct TRunningDialog {
    TRegisteredDialog* Dialog = nullptr;
    const platform::HostTables* Host = nullptr;
};
// Null outside every RunRegisteredDialog on this thread.
const TRunningDialog* RunningRegisteredDialog();

// Lookups by name (the first binding of an equal name, exact and case-sensitive).
void SetFocusByName(TRegisteredDialog& Dialog, std::string_view Name);  // unknown name: no change
std::string GetItemText(const TRegisteredDialog& Dialog, std::string_view Name);  // unknown name: ""
// The value the item named Name is bound to (a setting or a record's field); monostate when the
// name is unknown or its item carries no value.
config::TConfigValuePtr BoundValue(const TRegisteredDialog& Dialog, std::string_view Name);
// The FAR index (as DialogEx and dialog procedures number items) of the item bound to Name; for a
// radio group its first option. -1 for an unknown name.
int ItemIndexByName(const TRegisteredDialog& Dialog, std::string_view Name);
// Which option (0-based) of the radio group bound to Name the item at FAR index `FarIndex` is;
// -1 when it is not one of that group's options (what a dialog procedure asks on DN_BTNCLICK).
int RadioOptionByName(const TRegisteredDialog& Dialog, std::string_view Name, int FarIndex);

}  // namespace skimmer::dialogs
