// FAR's help viewer: a framed window over the whole screen showing one topic of a .hlf file, with
// the topic's `$` header fixed at the top, the body scrolling beneath it, links to walk with Tab
// and follow with Enter, and a history to go back through.
//
// Keys: Up/Down, PgUp/PgDn, Home/End (and Ctrl+Home/Ctrl+End) scroll; Tab/Shift+Tab select the
// next/previous link; Enter follows the selected one; Backspace or Alt+F1 returns to the previous
// topic where it was left; F1 shows the file's own "Help" topic when it has one; Esc or F10 close
// the window. The wheel scrolls; a click on a link follows it.
//
// Contract: runs on the UI thread only (it is a modal window on the screen stack, so closing it
// gives back exactly what lay beneath: the dialog, menu or panel that asked for help). A file or
// topic that cannot be found is told in a FAR warning box (unless errors are turned off) and the
// window does not open, or, for a link, stays on the topic it showed. Nothing the file holds
// reaches the terminal unfiltered: all text goes through the cell buffer.
#pragma once

#include <string>
#include <string_view>

#include "host/ui/ui_context.h"

namespace skimmer::host::ui {

struct HelpRequest {
    std::string folder;  // the folder whose .hlf files hold the help (ignored when `file` is set)
    std::string file;    // one .hlf file (FHELP_CUSTOMFILE)
    std::string topic;   // a topic reference (help_reference.h); empty for "Contents"
    bool useContents = false;  // a missing topic falls back to "Contents" (FHELP_USECONTENTS)
    bool showErrors = true;    // false: failures are only returned (FHELP_NOSHOWERROR)
};

// Shows the topic until the user closes the window. False when it could not be shown.
bool showHelp(UiContext& context, const HelpRequest& request);

// F1 in a plug-in's dialog, menu or message box: `topic` is resolved against the folder of the
// plug-in's module (UiContext::modulePath). An empty topic shows nothing and returns false.
bool showPluginHelp(UiContext& context, int pluginNumber, std::string_view topic);

}  // namespace skimmer::host::ui
