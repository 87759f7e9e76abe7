#include "os/default_open.h"

#include <windows.h>
#include <shellapi.h>

#include "os/com_error.h"
#include "os/com_scope.h"
#include "os/wide_text.h"

namespace skimmer::os {

OpenResult openWithDefaultApplication(std::string_view target, void* ownerWindow) {
    if (target.empty()) return {.status = OpenResult::Failed, .error = "there is nothing to open"};
    // Some handlers the shell starts are COM servers; the shell expects an apartment on the thread.
    const ComScope com;
    const std::wstring file = toWide(target);
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof request;
    // No error box from the shell (the caller says the error), and the request is complete when
    // the call returns, so nothing of it outlives this thread's apartment.
    request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    request.hwnd = static_cast<HWND>(ownerWindow);
    request.lpVerb = nullptr;  // the default verb
    request.lpFile = file.c_str();
    request.nShow = SW_SHOWDEFAULT;
    if (!ShellExecuteExW(&request))
        return {.status = OpenResult::Failed,
                .error = "cannot open " + std::string(target) + ": " + systemErrorText(GetLastError())};
    return {.status = OpenResult::Started};
}

}  // namespace skimmer::os
