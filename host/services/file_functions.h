// The FarStandardFunctions slots that ask the file system: GetFileOwner, GetNumberOfLinks,
// FarRecursiveSearch, MkTemp, MkLink, ConvertNameToReal and GetReparsePointInfo, with FAR's
// signatures and failure answers (null pointers tolerated). One file per system:
// file_functions_posix.cpp (the terminal host's), file_functions_win32.cpp (the host's dialog
// engine as the plug-in layers' tests run it on Windows; names there are in the ANSI code page).
#pragma once

#include "far/standard_functions.h"

namespace skimmer::host::services {

void fillFileFunctions(FarStandardFunctions& fsf);

}  // namespace skimmer::host::services
