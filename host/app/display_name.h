// File names and paths are bytes; this turns them into text that is safe and unambiguous on screen.
//
// Contract: valid, printable UTF-8 is kept as it is; every byte that is not part of valid UTF-8
// becomes the four characters \xHH, and every code point that must not reach a terminal (controls,
// C1, bidi overrides, zero-width marks) becomes \xHH or \uHHHH. A literal backslash stays one
// backslash (the escapes are for seeing, not for parsing back). The raw bytes are never changed:
// callers keep them for every operation.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::host::app {

std::string displayName(std::string_view bytes);

}  // namespace skimmer::host::app
