// Running a registered dialog, reading its values back, and finding its items by name.
#include "dialogs/registered_dialog.h"

namespace skimmer::dialogs {
namespace {

const TDialogBinding* findBinding(const TRegisteredDialog& dialog, std::string_view name) {
    for (const TDialogBinding& binding : dialog.Names)
        if (binding.Name == name) return &binding;
    return nullptr;
}

bool validIndex(const TRegisteredDialog& dialog, int32_t index) {
    return index > 0 && index < static_cast<int32_t>(dialog.Items.size());
}

// How many options the group bound by `binding` has: at most Param, and only radio buttons up to
// the next group's first option, so a group of two never reads the items that follow it.
int32_t optionCount(const TRegisteredDialog& dialog, const TDialogBinding& binding) {
    int32_t j = 0;
    for (; j < binding.Param && validIndex(dialog, binding.ItemIndex + j); ++j) {
        const FarDialogItem& option = dialog.Items[binding.ItemIndex + j];
        if (option.Type != DI_RADIOBUTTON || (j > 0 && (option.Flags & DIF_GROUP))) break;
    }
    return j;
}

int32_t chosenOption(const TRegisteredDialog& dialog, const TDialogBinding& binding) {
    const int32_t count = optionCount(dialog, binding);
    for (int32_t j = 0; j < count; ++j)
        if (dialog.Items[binding.ItemIndex + j].Selected) return j;
    return -1;
}

void readBack(const TRegisteredDialog& dialog, const TDialogBinding& binding) {
    if (!validIndex(dialog, binding.ItemIndex)) return;
    const FarDialogItem& item = dialog.Items[binding.ItemIndex];
    switch (binding.Kind) {
        case DI_EDIT:
            if (auto* text = std::get_if<std::string*>(&binding.Value)) **text = item.Data;
            break;
        case DI_CHECKBOX:
            if (auto* flag = std::get_if<bool*>(&binding.Value)) **flag = item.Selected != 0;
            break;
        case DI_RADIOBUTTON:
            if (auto* chosen = std::get_if<int32_t*>(&binding.Value)) **chosen = chosenOption(dialog, binding);
            break;
        default: break;  // labels and buttons carry no value
    }
}

// The innermost running dialog of this thread; each module instance has its own.
thread_local const TRunningDialog* tRunning = nullptr;

// Makes `running` the running dialog for its lifetime and puts the previous one back after,
// whichever way DialogEx returns.
class RunningScope {
public:
    explicit RunningScope(const TRunningDialog& running) : previous_(tRunning) { tRunning = &running; }
    ~RunningScope() { tRunning = previous_; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    const TRunningDialog* previous_;
};

}  // namespace

const TRunningDialog* RunningRegisteredDialog() { return tRunning; }

void ReadBackValues(TRegisteredDialog& Dialog) {
    for (const TDialogBinding& binding : Dialog.Names) readBack(Dialog, binding);
}

int RunRegisteredDialog(const platform::HostTables& host, TRegisteredDialog& Dialog, bool Save, int CancelIndex,
                        DWORD Flags, const char* HelpTopic, FARWINDOWPROC DlgProc) {
    const PluginStartupInfo& info = host.StartupInfo;
    if (Dialog.ItemCount < 1 || !info.DialogEx) return -1;
    const FarDialogItem& header = Dialog.Items[0];
    const TRunningDialog running{.Dialog = &Dialog, .Host = &host};
    const int result = [&] {
        const RunningScope scope(running);
        return info.DialogEx(info.ModuleNumber, kCentred, kCentred, header.X2, header.Y2, HelpTopic,
                             Dialog.Items.data() + 1, Dialog.ItemCount - 1, 0, Flags, DlgProc, 0);
    }();
    if (result == -1 || result == CancelIndex) return result;
    ReadBackValues(Dialog);
    // The store reports a save the disk refused; the values just read stay in memory either way.
    if (Save && Dialog.Config) config::configSaveValues(*Dialog.Config);
    return result;
}

void SetFocusByName(TRegisteredDialog& Dialog, std::string_view Name) {
    const TDialogBinding* binding = findBinding(Dialog, Name);
    if (!binding || !validIndex(Dialog, binding->ItemIndex)) return;
    for (FarDialogItem& item : Dialog.Items) item.Focus = 0;
    Dialog.Items[binding->ItemIndex].Focus = 1;
}

std::string GetItemText(const TRegisteredDialog& Dialog, std::string_view Name) {
    const TDialogBinding* binding = findBinding(Dialog, Name);
    if (!binding || !validIndex(Dialog, binding->ItemIndex)) return {};
    return Dialog.Items[binding->ItemIndex].Data;
}

config::TConfigValuePtr BoundValue(const TRegisteredDialog& Dialog, std::string_view Name) {
    const TDialogBinding* binding = findBinding(Dialog, Name);
    return binding ? binding->Value : std::monostate{};
}

int ItemIndexByName(const TRegisteredDialog& Dialog, std::string_view Name) {
    const TDialogBinding* binding = findBinding(Dialog, Name);
    return binding && validIndex(Dialog, binding->ItemIndex) ? binding->ItemIndex - 1 : -1;
}

int RadioOptionByName(const TRegisteredDialog& Dialog, std::string_view Name, int FarIndex) {
    const TDialogBinding* binding = findBinding(Dialog, Name);
    if (!binding || binding->Kind != DI_RADIOBUTTON) return -1;
    const int option = FarIndex + 1 - binding->ItemIndex;
    return option >= 0 && option < optionCount(Dialog, *binding) ? option : -1;
}

}  // namespace skimmer::dialogs
