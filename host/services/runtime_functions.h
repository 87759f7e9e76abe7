// The FarStandardFunctions slots beyond the locale, key name, XLat and ProcessName ones
// (standard_functions.h): numbers, sorting, string helpers, paths, the clipboard, temporary names,
// links and the recursive search.
//
// Contract: FAR's semantics on UTF-8 text; lengths in the truncation helpers count code points and
// never split one. Every slot tolerates null pointers with FAR's failure answer. The clipboard is
// the host's own (a terminal has no system clipboard we may rely on); PasteFromClipboard's buffer
// is freed with DeleteBuffer.
#pragma once

#include <string>

#include "far/standard_functions.h"

namespace skimmer::host::services {

void fillRuntimeFunctions(FarStandardFunctions& fsf);

// The host clipboard, shared with the dialog engine's Ctrl+V.
std::string clipboardText();

}  // namespace skimmer::host::services
