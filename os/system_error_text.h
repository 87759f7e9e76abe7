// The system's own one-line text for an error code: strerror's on Linux, FormatMessage's on
// Windows (a Win32 error from GetLastError), in the plug-in's narrow code page.
//
// Contract: never empty; a code the system has no text for reads "error N". No line end, no
// trailing full stop, so the text can follow "cannot start X: " in a message.
#pragma once

#include <string>

namespace skimmer::os {

std::string systemErrorText(unsigned long code);

}  // namespace skimmer::os
