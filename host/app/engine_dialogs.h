// The screen's dialogs (panel_host.h) as the dialog engine draws them: FAR's menus, warning box,
// copy dialog and Select / Deselect box, and a plug-in's help in the help viewer.
//
// Contract: the functions run modal windows on the UI thread of `ui`, which must outlive them;
// they return the cancel answer when the engine refuses (another thread, no context).
#pragma once

#include "host/app/panel_host.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::app {

ManagerDialogs engineDialogs(ui::UiContext& ui);

}  // namespace skimmer::host::app
