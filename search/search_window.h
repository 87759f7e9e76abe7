// The search window: a FAR dialog with the result list above an edit field, whose every change
// hands the text to the search thread, and whose keys run, open, view, edit or locate the chosen
// hit. RunSearchWindow runs it as a modal loop until the user leaves it.
//
// Contract:
// - Runs on FAR's main thread and reaches the host only through the service tables; the search
//   thread it owns is joined before RunSearchWindow returns, whatever ended the window.
// - The thread is suspended (cooperatively) around every nested host call the window makes
//   (viewer, editor, settings dialog, closing for an action) and resumed when the dialog shows
//   again.
// - The engine is asked before the window opens; when it cannot be used, message 44 is shown and
//   the window does not open.
// - Errors the search meets are shown once each, from this thread, in the error box; the window
//   stays usable and the next text searches again. No exception leaves RunSearchWindow.
// - The edit field's text and the list always belong together: an empty text empties the list,
//   and a window reopened (F7, F9, a console resize) shows the text it had; after a resize, whose
//   lines are gone, that text is searched again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/registry_config.h"
#include "config/sort_groups.h"
#include "engines/engine_select.h"
#include "engines/search_engine.h"
#include "os/default_open.h"
#include "os/temp_dir.h"
#include "search/mail_items.h"
#include "platform/console.h"
#include "platform/host_tables.h"
#include "platform/plugin_context.h"
#include "platform/registry_access.h"

namespace skimmer::search {

// Everything the window reads of the plug-in's state: the context (whose settings are written
// only on this thread, by the F7 toggle, and whose groups F9's settings dialog edits; its tempDir
// is where F5 writes the Temporary Panel's list file) and what only the window needs. Pointers are
// not owned and outlive the call.
struct SearchWindowEnv : platform::PluginContext {
    std::array<uint16_t, 4> ListColors{};
    // The list's colours for a "SKSStyle" (the plug-in: listColorsFor over its palette), asked
    // again after the settings dialog, which may have changed the style. Empty: they stay.
    std::function<std::array<uint16_t, 4>(int32_t style)> listColorsFor;
    // The engine's environment (the plug-in: engines::EngineEnvironmentFor).
    engines::TEngineEnvironment engineEnvironment;
    // Mail items: the mail client; a null client: search::DefaultMailAccess().
    MailAccess mail;
    // Writes the stored settings (after the F7 toggle changed "SKSFullInfo"); may be empty.
    std::function<void()> saveSettings;
    // Makes the engine; empty: the one "ESKSSearchEngine" chooses (a test gives its own).
    engines::EngineFactory makeEngine;
};

// Error code when the console's size cannot be read.
constexpr int32_t kConsoleUnreadable = 201;

// Runs the window until the user leaves it; returns 0, or the error code it showed.
int32_t RunSearchWindow(SearchWindowEnv& env);

}  // namespace skimmer::search
