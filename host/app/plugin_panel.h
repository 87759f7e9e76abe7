// A plug-in's panel: the host's side of a panel that a plug-in returned from OpenPlugin, driven
// through the panel entry points as FAR drives them, and shown through the shared panel list.
//
// Contract:
// - Every GetFindData that returned TRUE is followed by exactly one FreeFindData with the same
//   array and count, also when copying the items fails; the panel keeps its own copies (names,
//   descriptions, user data blocks), so nothing the plug-in handed over is read after it was freed.
// - ClosePlugin is called exactly once, by close() or by the destructor, unless the plug-in failed
//   (an exception stopped at the call boundary): then it is never called again.
// - A call the plug-in makes back into the host while one of its entry points runs (Control) must
//   not destroy or refill the panel under it: inCall() tells the caller to defer, and the requests
//   are kept (pendingUpdate, pendingRedraw, pendingClose) for the owner to carry out once the call
//   returned. The one exception is an update asked for in ProcessKey or ProcessEvent
//   (mayRefreshNow()), which FAR carries out at once.
// - Names are raw bytes; they are escaped only when drawn.
// - The view modes the plug-in gives (OpenPluginInfo.PanelModesArray) replace the standard ones
//   they name; StartPanelMode ('0' … '9') is taken the first time the panel is read, and so are
//   StartSortMode and StartSortOrder. The items (items()) are kept in the order the entries are shown.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "far/panel.h"
#include "host/app/panel_list.h"
#include "host/app/plugin_module.h"

namespace skimmer::host::app {

// Runs `body` (a call into the plug-in named `entry`) with exceptions stopped; false when the
// plug-in failed now or earlier, in which case it must not be called again.
using PluginCallGuard = std::function<bool(const char* entry, const std::function<void()>& body)>;

class PluginPanel : public PanelList {
public:
    PluginPanel(int plugin, const EntryPoints& entry, HANDLE handle, PluginCallGuard guard);
    ~PluginPanel() override;
    PluginPanel(const PluginPanel&) = delete;
    PluginPanel& operator=(const PluginPanel&) = delete;

    int plugin() const { return plugin_; }
    HANDLE handle() const { return handle_; }
    bool failed() const { return failed_; }
    bool inCall() const { return !running_.empty(); }
    // Whether the panel may be read again now, inside the plug-in's current call: yes in ProcessKey
    // and ProcessEvent, which are handed nothing of the panel's list (FAR re-reads the panel there
    // at once, and a plug-in looks its items up in the new list right after); no in the calls that
    // hold the panel's items (GetFiles, PutFiles, DeleteFiles) or are reading them (GetFindData).
    bool mayRefreshNow() const;

    // GetOpenPluginInfo, then GetFindData/FreeFindData; the cursor stays on the same name when it
    // is still listed. False with `error` when the plug-in could not list its folder: the panel
    // then shows an empty folder (with ".." when the plug-in asks for it), so the user can leave.
    bool refresh(std::string& error);
    // GetOpenPluginInfo alone (title, folder, flags, key bar), as FCTL_GETPANELINFO asks for it.
    void readInfo();

    enum class Move { Done, Refused, LeftRoot };
    // SetDirectory(dir) and, when it succeeded, refresh(). ".." at the plug-in's root leaves the
    // plug-in (LeftRoot: nothing was called). After "..", the cursor is on the folder just left.
    Move setDirectory(std::string dir, std::string& error);  // a copy: refreshing replaces the entries

    // ProcessKey with a virtual-key code and PKF_* state: true when the plug-in took the key.
    bool processKey(int vk, unsigned state);
    // ProcessEvent: the plug-in's answer (TRUE: handled, or for FE_CLOSE: keep the panel).
    bool processEvent(int event, void* param);
    // Calls an operation entry point through the guard (GetFiles, PutFiles, DeleteFiles,
    // MakeDirectory); the entry point's result, or `failure` when it is missing or failed.
    int call(const char* name, const std::function<int(const EntryPoints&)>& body, int failure);
    void close();  // ClosePlugin, once
    // True when the plug-in exports that entry point and has not failed.
    template <class F>
    bool hasEntry(F EntryPoints::*member) const { return !failed_ && entry_.*member != nullptr; }

    // What FCTL_GETPANELINFO reports: one item per entry (".." included), owned by the panel, with
    // PPIF_SELECTED set on the selected ones.
    const std::vector<PluginPanelItem>& items();
    // What an operation works on: the selected items (PPIF_SELECTED set), else the current one
    // (none on ".."). Copies the plug-in may change.
    std::vector<PluginPanelItem> operationItems() const;
    ViewMode viewMode() const override;
    const std::string& curDir() const { return curDir_; }
    // OpenPluginInfo.HostFile: the file (an archive) whose contents the panel shows; empty for none.
    const std::string& hostFile() const { return hostFile_; }
    DWORD flags() const { return flags_; }
    const std::array<std::string, 12>& keyBarTitles() const { return keyBar_; }

    std::string title() const override { return title_; }
    bool useHighlighting() const override { return (flags_ & OPIF_USEHIGHLIGHTING) != 0; }

    // Requests a Control call made while the plug-in was inside one of its entry points.
    bool pendingUpdate = false;
    // A cursor placed (FCTL_REDRAWPANEL) after an update the call asked for: it names a place in
    // the list that update brings, so it waits for it. {current item, top item}.
    std::optional<std::pair<int, int>> pendingRedraw;
    std::optional<std::optional<std::string>> pendingClose;  // set: close; inner: the folder to show

private:
    bool guarded(const char* entry, const std::function<void()>& body);
    void takeItems(const PluginPanelItem* items, int count);
    void entriesReordered(const std::vector<size_t>& order) override;
    void addDots();

    int plugin_;
    const EntryPoints& entry_;
    HANDLE handle_;
    PluginCallGuard guard_;
    bool failed_ = false;
    bool closed_ = false;
    std::vector<const char*> running_;  // the entry points being called, innermost last
    DWORD flags_ = 0;
    std::string curDir_;
    std::string hostFile_;
    std::string title_;
    std::array<std::string, 12> keyBar_;
    std::vector<PluginPanelItem> items_;
    std::deque<std::string> strings_;  // what items_ point to: stable across push_back
    std::deque<std::vector<char*>> customColumns_;  // items_' CustomColumnData, into strings_
    std::array<std::optional<ViewMode>, kViewModeCount> modes_;
    bool started_ = false;  // StartPanelMode taken
};

}  // namespace skimmer::host::app
