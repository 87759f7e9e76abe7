// Viewer and Editor: FAR's slots over the user's own pager and editor (viewer_editor.h), run with
// the terminal handed over by the application (ViewerEditorHost), which repaints when they return.
// A file that cannot be opened is said on the screen.
//
// Contract: never throws; a null file name or no host is FAR's failure answer (Viewer FALSE,
// Editor EEC_OPEN_ERROR). The window position, title and flags are ignored: the program owns the
// whole terminal while it runs.
#pragma once

#include <string>

#include "far/plugin.h"
#include "host/services/foreground.h"

namespace skimmer::host::services {

class ViewerEditorHost : public TerminalHandover {
public:
    virtual void showError(const std::string& text) = 0;
};

int FARAPI Viewer(const char* FileName, const char* Title, int X1, int Y1, int X2, int Y2, DWORD Flags);
int FARAPI Editor(const char* FileName, const char* Title, int X1, int Y1, int X2, int Y2, DWORD Flags,
                  int StartLine, int StartChar);

}  // namespace skimmer::host::services
