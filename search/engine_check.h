// Whether the search window may open: the engine it would search is asked first, as the index's
// information query asks it (a record of its own, opened and closed again), so that a window
// never opens over an engine that cannot be used.
//
// Contract: runs on the caller's thread (FAR's main thread, before the window opens) and leaves
// nothing open or running behind it. The engine's own boxes (codes 30, 51) go through
// env.ShowErrorText as at any open; the one text for "unusable" is returned, not shown.
#pragma once

#include <optional>
#include <string>

#include "engines/engine_select.h"
#include "engines/search_engine.h"

namespace skimmer::search {

// Empty when `ops` opens a record over `env`; otherwise `unusableText` (message 44), followed on
// a line of its own by the engine's reason when it gave one.
std::optional<std::string> EngineUnusable(const engines::TEngineEnvironment& env, const engines::TEngineOps& ops,
                                          const std::string& unusableText);

}  // namespace skimmer::search
