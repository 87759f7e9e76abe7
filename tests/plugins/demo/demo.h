// The demo plug-in's pieces: what the entry points share (the host's service table, copied in
// SetStartupInfo) and the demos they open. Test-only code; it talks to the host through the
// service table alone.
#pragma once

#include <string>

#include "far/far.h"

namespace skimmer::demo {

// The host's tables as SetStartupInfo gave them; valid between SetStartupInfo and ExitFAR.
const PluginStartupInfo& info();
void keepInfo(const PluginStartupInfo& given);

// Shows "Result" with one line of text and an OK button: how every demo reports what it got, so
// that an end-to-end test can read the outcome off the screen.
void showResult(const std::string& line);

// Each demo runs a modal window and reports its outcome with showResult.
void everyItemDialog();      // box, separator, labels, edit, password, check boxes, radios, buttons
void settingsDialog();       // DN_BTNCLICK enabling and disabling items (DM_ENABLE)
void menuWithBreakKeys();    // scrolling, check marks, separators, F4/Ins/Del/Ctrl+Up break keys
void messageBoxes();         // Yes/No, warning, buttons by number, and one without buttons
void threadedDialog();       // a second thread updates the dialog through SendDlgMessage

}  // namespace skimmer::demo
