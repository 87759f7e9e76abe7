#include "host/app/engine_dialogs.h"

#include <cstdio>
#include <filesystem>

#include "host/ui/far_services.h"
#include "host/ui/help_window.h"

namespace skimmer::host::app {
namespace {

// FAR's own history name for file masks (selection, filters, file search).
constexpr const char* kMasksHistory = "Masks";

// FAR's copy dialog: the prompt, the destination on an edit line, a separator, the action's button
// and Cancel. Enter on the edit line is the action's button.
std::optional<std::string> copyDialog(const std::string& title, const std::string& prompt, const std::string& initial,
                                      const std::string& button) {
    FarDialogItem items[6]{};
    items[0] = FarDialogItem{.Type = DI_DOUBLEBOX, .X1 = 3, .Y1 = 1, .X2 = 72, .Y2 = 6};
    items[1] = FarDialogItem{.Type = DI_TEXT, .X1 = 5, .Y1 = 2, .X2 = 70, .Y2 = 2};
    items[2] = FarDialogItem{.Type = DI_EDIT, .X1 = 5, .Y1 = 3, .X2 = 70, .Y2 = 3, .Focus = TRUE};
    items[3] = FarDialogItem{.Type = DI_TEXT, .X1 = 0, .Y1 = 4, .X2 = 0, .Y2 = 4};
    items[3].Flags = DIF_SEPARATOR;
    items[4] = FarDialogItem{.Type = DI_BUTTON, .X1 = 0, .Y1 = 5, .X2 = 0, .Y2 = 5};
    items[4].Flags = DIF_CENTERGROUP;
    items[4].DefaultButton = TRUE;
    items[5] = FarDialogItem{.Type = DI_BUTTON, .X1 = 0, .Y1 = 5, .X2 = 0, .Y2 = 5};
    items[5].Flags = DIF_CENTERGROUP;
    std::snprintf(items[0].Data, sizeof items[0].Data, "%s", title.c_str());
    std::snprintf(items[1].Data, sizeof items[1].Data, "%s", prompt.c_str());
    std::snprintf(items[2].Data, sizeof items[2].Data, "%s", initial.c_str());
    std::snprintf(items[4].Data, sizeof items[4].Data, "%s", button.c_str());
    std::snprintf(items[5].Data, sizeof items[5].Data, "Cancel");
    const int exit = ui::DialogEx(-1, -1, -1, 76, 8, nullptr, items, 6, 0, 0, nullptr, 0);
    if (exit != 4 && exit != 2) return std::nullopt;
    return std::string(items[2].Data);
}

// FAR's Select / Deselect box: a double frame titled with the action around one edit line of masks
// with FAR's "Masks" history, starting with its newest entry (`initial` while the history is
// empty); Enter takes the line (and adds it to the history), Esc cancels.
std::optional<std::string> masksDialog(ui::UiContext& ui, const std::string& title, const std::string& initial) {
    FarDialogItem items[2]{};
    items[0] = FarDialogItem{.Type = DI_DOUBLEBOX, .X1 = 3, .Y1 = 1, .X2 = 36, .Y2 = 3};
    items[1] = FarDialogItem{.Type = DI_EDIT, .X1 = 5, .Y1 = 2, .X2 = 34, .Y2 = 2, .Focus = TRUE};
    items[1].History = kMasksHistory;
    items[1].Flags = DIF_HISTORY | DIF_USELASTHISTORY;
    std::snprintf(items[0].Data, sizeof items[0].Data, "%s", title.c_str());
    if (!ui.dialogHistory().newest(kMasksHistory))
        std::snprintf(items[1].Data, sizeof items[1].Data, "%s", initial.c_str());
    if (ui::DialogEx(-1, -1, -1, 40, 5, nullptr, items, 2, 0, 0, nullptr, 0) != 1) return std::nullopt;
    return std::string(items[1].Data);
}

ui::MenuRequest menuRequest(const MenuOffer& offer) {
    ui::MenuRequest request;
    request.flags = FMENU_WRAPMODE;
    request.title = offer.title;
    request.entries = offer.entries;
    for (const term::key::Code key : offer.breakKeys) request.breakKeys.push_back(ui::breakKeyOf(static_cast<int>(key)));
    return request;
}

// The host's own menus and messages go through the same dialog engine as the plug-ins'.
}  // namespace

ManagerDialogs engineDialogs(ui::UiContext& ui) {
    ManagerDialogs d;
    d.menu = [&ui](const MenuOffer& offer) {
        const ui::MenuChoice choice = ui::runMenu(ui, menuRequest(offer));
        return MenuAnswer(choice.index, choice.breakCode);
    };
    d.error = [](const std::string& title, const std::string& text) {
        const char* lines[] = {title.c_str(), text.c_str()};
        ui::Message(-1, FMSG_WARNING | FMSG_MB_OK, nullptr, lines, 2, 0);
    };
    d.copy = copyDialog;
    d.masks = [&ui](const std::string& title, const std::string& initial) { return masksDialog(ui, title, initial); };
    // FAR shows nothing when the plug-in has no help file; a file without the topic gives Contents.
    d.pluginHelp = [&ui](int plugin, const std::string& topic) {
        const std::string module = ui.modulePath(plugin);
        if (module.empty()) return false;
        ui::HelpRequest request;
        request.folder = std::filesystem::path(module).parent_path().string();
        request.topic = topic;
        request.useContents = true;
        request.showErrors = false;
        return ui::showHelp(ui, request);
    };
    return d;
}

}  // namespace skimmer::host::app
