#include "host/services/viewer_editor_slots.h"

#include "far/editor_viewer.h"
#include "host/service_guard.h"
#include "host/services/service_hosts.h"
#include "host/services/viewer_editor.h"

namespace skimmer::host::services {

int FARAPI Viewer(const char* FileName, const char*, int, int, int, int, DWORD) {
    return guardedService<int>(FALSE, [&]() -> int {
        ViewerEditorHost* host = serviceHosts().viewerEditor;
        if (host == nullptr || FileName == nullptr) return FALSE;
        const ViewResult r = viewFile(FileName, *host);
        if (!r.ok) host->showError(r.error);
        return r.ok ? TRUE : FALSE;
    });
}

int FARAPI Editor(const char* FileName, const char*, int, int, int, int, DWORD, int StartLine, int) {
    return guardedService<int>(EEC_OPEN_ERROR, [&]() -> int {
        ViewerEditorHost* host = serviceHosts().viewerEditor;
        if (host == nullptr || FileName == nullptr) return EEC_OPEN_ERROR;
        const EditResult r = editFile(FileName, StartLine, *host);
        if (r.outcome == EditOutcome::OpenError) host->showError(r.error);
        return static_cast<int>(r.outcome);
    });
}

}  // namespace skimmer::host::services
