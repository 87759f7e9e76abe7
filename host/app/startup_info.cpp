// The service table each plug-in receives: the dialog engine's dialogs, menus and messages, the
// services layer's AdvControl, and the app's own services. The standard functions are the
// services layer's (standard_functions.h).
#include <cstring>

#include "host/app/host_services.h"
#include "host/app/plugin_set.h"
#include "host/services/plain_services.h"
#include "host/ui/far_services.h"

namespace skimmer::host::app {

PluginStartupInfo makeStartupInfo(int moduleNumber, const char* modulePath, FarStandardFunctions* fsf) {
    PluginStartupInfo info{};
    info.StructSize = sizeof info;
    std::strncpy(info.ModuleName, modulePath, sizeof info.ModuleName - 1);
    info.ModuleNumber = moduleNumber;
    info.RootKey = kPluginsRootKey;
    info.Menu = ui::Menu;
    info.Dialog = ui::Dialog;
    info.Message = ui::Message;
    info.GetMsg = GetMsg;
    info.Control = Control;
    info.SaveScreen = SaveScreen;
    info.RestoreScreen = RestoreScreen;
    info.GetDirList = services::GetDirList;
    info.GetPluginDirList = services::GetPluginDirList;
    info.FreeDirList = services::FreeDirList;
    info.Viewer = Viewer;
    info.Editor = Editor;
    info.CmpName = services::CmpName;
    info.CharTable = services::CharTable;
    info.Text = Text;
    info.EditorControl = services::EditorControl;
    info.FSF = fsf;
    info.ShowHelp = ui::ShowHelp;
    info.AdvControl = AdvControl;
    info.InputBox = InputBox;
    info.DialogEx = ui::DialogEx;
    info.SendDlgMessage = ui::SendDlgMessage;
    info.DefDlgProc = ui::DefDlgProc;
    info.ViewerControl = services::ViewerControl;
    return info;
}

}  // namespace skimmer::host::app
