#include "host/services/startup_info.h"

#include <cstring>

#include "host/services/adv_control.h"
#include "host/services/control.h"
#include "host/services/input_box.h"
#include "host/services/plain_services.h"
#include "host/services/plugin_messages.h"
#include "host/services/screen.h"
#include "host/services/viewer_editor_slots.h"
#include "host/ui/far_services.h"

namespace skimmer::host::services {

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
    info.GetDirList = GetDirList;
    info.GetPluginDirList = GetPluginDirList;
    info.FreeDirList = FreeDirList;
    info.Viewer = Viewer;
    info.Editor = Editor;
    info.CmpName = CmpName;
    info.CharTable = CharTable;
    info.Text = Text;
    info.EditorControl = EditorControl;
    info.FSF = fsf;
    info.ShowHelp = ui::ShowHelp;
    info.AdvControl = AdvControl;
    info.InputBox = InputBox;
    info.DialogEx = ui::DialogEx;
    info.SendDlgMessage = ui::SendDlgMessage;
    info.DefDlgProc = ui::DefDlgProc;
    info.ViewerControl = ViewerControl;
    return info;
}

}  // namespace skimmer::host::services
