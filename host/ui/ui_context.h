// Everything the dialog engine needs from the application, in one object the application creates
// once at start-up on its UI thread: where to draw, where input comes from, the current palette,
// the clipboard, the lock that serialises dialogs, the registry of live dialogs, the stack of
// windows on screen and the edit lines' histories.
//
// Contract: the context must outlive every dialog, menu and message box run on it. The thread that
// constructs it is the UI thread: modal windows run only there (from another thread DialogEx, Menu
// and Message refuse and return -1), while SendDlgMessage may come from any thread. The palette
// and the clipboard reader may be replaced at any time; the palette is read at every paint.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <thread>

#include "far/colors.h"
#include "far/win_types.h"
#include "host/ui/dialog_history.h"
#include "host/ui/screen_stack.h"
#include "host/ui/surface.h"
#include "host/ui/ui_events.h"
#include "host/ui/ui_lock.h"

namespace skimmer::host::ui {

class RunningDialog;

// Live dialogs by handle. Handles are never reused, so a message to a dialog that has closed finds
// nothing and is answered 0 instead of reaching freed memory. Used under the UI lock only.
class DialogRegistry {
public:
    HANDLE add(RunningDialog& dialog);
    void remove(HANDLE handle);
    RunningDialog* find(HANDLE handle) const;
    void forEach(const std::function<void(RunningDialog&)>& visit) const;

private:
    std::map<HANDLE, RunningDialog*> live_;
    uintptr_t next_ = 0x5D10000;  // far from 0, -1 and small integers a caller might pass by mistake
};

class UiContext {
public:
    UiContext(Surface& surface, EventSource& events);
    UiContext(const UiContext&) = delete;
    UiContext& operator=(const UiContext&) = delete;

    Surface& surface() { return surface_; }
    EventSource& events() { return events_; }
    UiLock& lock() { return lock_; }
    DialogRegistry& registry() { return registry_; }
    ScreenStack& screen() { return screen_; }
    bool onUiThread() const { return std::this_thread::get_id() == uiThread_; }

    // The modal loops' two steps: wait for the next event with the lock let go (at the outermost
    // loop only), and after handling it paint every dialog another thread changed meanwhile.
    UiEvent waitEvent();
    void paintDirtyDialogs();

    // Bytes of `Colors\CurrentPalette`; a shorter value replaces only its prefix of FAR's defaults.
    void setPalette(std::span<const uint8_t> bytes);
    uint8_t color(int index) const;

    // What Ctrl+V and Shift+Ins insert into an edit field; empty when no reader is set.
    void setClipboardReader(std::function<std::string()> reader);
    std::string clipboardText() const;

    // Where help comes from: the module file of a plug-in by its PluginNumber (empty for none),
    // and the language whose .hlf file is preferred. Set once by the application at start-up.
    void setModuleResolver(std::function<std::string(int pluginNumber)> resolver);
    std::string modulePath(int pluginNumber) const;
    void setHelpLanguage(std::string language) { helpLanguage_ = std::move(language); }
    const std::string& helpLanguage() const { return helpLanguage_; }

    // The edit lines' histories (DIF_HISTORY), shared by every dialog; the application gives them
    // a store at start-up, else they last for the process.
    DialogHistory& dialogHistory() { return history_; }

private:
    Surface& surface_;
    EventSource& events_;
    UiLock lock_;
    DialogRegistry registry_;
    ScreenStack screen_;
    std::thread::id uiThread_;
    std::array<uint8_t, farapi::kFarPaletteSize> palette_{};
    std::function<std::string()> clipboard_;
    std::function<std::string(int)> modules_;
    std::string helpLanguage_ = "English";
    DialogHistory history_;
};

}  // namespace skimmer::host::ui
