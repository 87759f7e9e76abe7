// The search-folder panel's state and what it reaches: one TPanel per loaded module, holding the
// tree, where the panel stands (PanelInstance) and where it stood when last left
// (PanelSavedPosition), the item arrays handed to FAR, and the services it works through.
//
// Contract:
// - Only FAR's main thread touches a TPanel. Every entry point first checks that the handle FAR
//   passes is this panel's instance, and re-derives the shown level from `Parent` (which it checks
//   is still in the tree), so a level emptied or deleted through another panel is never read
//   through a stale pointer.
// - Item arrays belong to the panel from GetFindData until FreeFindData; each carries its own
//   copies of the texts FAR reads (names, descriptions), so changing the tree meanwhile never
//   leaves FAR holding a pointer into a freed node.
// - Every change of the tree is saved at once (SaveTree); a save that does not reach the disk is
//   shown in the error box with its reason, and the tree in memory keeps the change.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/registry_config.h"
#include "engines/search_engine.h"
#include "far/panel.h"
#include "os/clock.h"
#include "os/file_system.h"
#include "os/default_open.h"
#include "panel/folder_node.h"
#include "platform/host_tables.h"
#include "platform/plugin_context.h"
#include "platform/registry_access.h"
#include "search/mail_items.h"

namespace skimmer::panel {

// The most hits one search folder takes from a query. A FAR panel item is about 4 KB here, so a
// folder of every file of a large index would cost gigabytes; the rest of the hits are dropped
// and the user is told so.
inline constexpr int32_t kMaxFolderHits = 10000;
// The progress title is redrawn when the hit count reaches a multiple of this.
inline constexpr int32_t kProgressEvery = 121;
inline constexpr int kPaletteFrame = 66;   // the panel's frame colour
inline constexpr int kPaletteTitle = 17;   // the panel's title colour

// The plug-in's context (host, settings, registry, keys, palette, the desktop's opener) and what
// only the panel needs.
struct TPanelEnv : platform::PluginContext {
    // The engines' environment for a folder's query; empty: none (the engine is not usable).
    std::function<engines::TEngineEnvironment()> engineEnvironment;
    // The mail client that the search window uses too, asked for when a mail hit is first met;
    // empty: mail hits keep zero times and sizes and cannot be copied or shown.
    std::function<search::MailAccess()> mailAccess;
    os::FileSystem* fs = nullptr;           // null: the real file system
    const os::Clock* clock = nullptr;       // null: the system clock
};

struct TItemBlock {
    std::vector<PluginPanelItem> items;
    std::vector<std::string> descriptions;
};

struct TPanel {
    TPanelEnv env;
    TFolderTree tree;
    std::unique_ptr<TPanelInstance> PanelInstance;
    TPanelInstance PanelSavedPosition;
    bool SearchBusy = false;      // raised by the search window's thread; the key handler tests it
    bool SearchInProgress = false;
    int32_t HitCounter = 0;
    int32_t SpinnerPhase = 0;
    bool HitsCut = false;          // the last folder entered had more hits than it took
    HANDLE hPlugin = nullptr;
    std::string CurDirText, PanelTitleText;  // what GetOpenPluginInfo handed to FAR
    std::map<const PluginPanelItem*, std::unique_ptr<TItemBlock>> itemBlocks;

    os::FileSystem& fs() const { return env.fs ? *env.fs : os::realFileSystem(); }
    uint64_t now() const { return env.clock ? os::fileTimeNow(*env.clock) : os::fileTimeNow(); }
    search::MailAccess mail() const { return env.mailAccess ? env.mailAccess() : search::MailAccess{}; }
};

// The shown level's first node, derived from `Parent` (null at the top level: the tree's first).
TFiles* ShownLevel(const TPanel& panel);
// Re-derives Current from Parent; a Parent no longer in the tree sends the panel to the top level.
void SyncInstance(TPanel& panel);
// Records the instance's references as the saved position too.
void RememberPosition(TPanel& panel);
// Saves the tree and shows the reason in the error box when that fails; false then.
bool SaveTree(TPanel& panel);
// Asks FAR to update and redraw the active panel.
void UpdateAndRedraw(const TPanel& panel);
// The same, with FAR's cursor put on the item named `name` (a node just made or renamed): its index
// in the list FAR shows once updated, read back through FCTL_GETPANELINFO, since FAR may sort the
// items its own way; when FAR's answer does not list that name (yet), its index in this panel's own
// listing. A name listed nowhere leaves the cursor where FAR keeps it.
void UpdateAndRedrawOn(const TPanel& panel, const std::string& name);
// The index of the item named `name` in what GetFindData lists at the shown level ("..", when
// listed, is item 0), or -1.
int ListedIndex(const TPanel& panel, const std::string& name);
// The node a panel item handed back by FAR stands for, or null when it names none of ours (the
// placeholder, "..", an item of another panel, or a node deleted meanwhile).
TFiles* NodeOfItem(const TPanel& panel, const PluginPanelItem& item);
// A "Skimmer" + `title` message with the given lines and buttons.
int AskMessage(const TPanel& panel, DWORD flags, const std::vector<std::string>& lines, int buttons);
std::string Msg(const TPanel& panel, int number);

}  // namespace skimmer::panel
