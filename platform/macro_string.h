// Text from data (a file name, a path, a typed line) written into a FAR key macro as a string
// literal. This is the one place that does it: every macro the plug-in builds from data quotes it here.
//
// Contract: the result is a double-quoted literal that FAR's macro parser reads back as exactly the
// given bytes, whatever they hold: `"` and `\` are escaped, control bytes are \xHH, bytes of 0x80
// and above (UTF-8 or not) stand as they are. The literal never ends early, so nothing after it
// can become a macro token. A NUL byte cannot travel in a macro text (it is handed over as a C
// string); it is written as \x00, which FAR refuses, so such a macro is refused whole, never cut.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::platform {

std::string macroStringLiteral(std::string_view bytes);

}  // namespace skimmer::platform
