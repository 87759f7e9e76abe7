// Whether the search window may open: the engine it would search is asked first, as the index's
// information query asks it (opened and closed again), so that a window never opens over an
// engine that cannot be used.
//
// Contract: runs on the caller's thread (FAR's main thread, before the window opens) and leaves
// nothing open or running behind it. What the engine's open has to say (codes 30, 51) goes to
// `say`, as at any open; the one text for "unusable" is returned, not shown.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engines/search_engine.h"

namespace skimmer::search {

// Empty when `engine` opens (it is closed again); otherwise `unusableText` (message 44),
// followed on a line of its own by the engine's reason when it gave one.
std::optional<std::string> EngineUnusable(engines::SearchEngine& engine,
                                          const std::function<void(const std::string&)>& say,
                                          const std::string& unusableText);

}  // namespace skimmer::search
