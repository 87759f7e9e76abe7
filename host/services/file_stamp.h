// What tells "the editor changed the file": a file's identity, size and change times as one
// opaque text. Equal stamps taken before and after mean the file was not touched; a missing file
// stamps as "". One file per system (file_stamp_posix.cpp, file_stamp_win32.cpp).
#pragma once

#include <string>

namespace skimmer::host::services {

std::string fileStamp(const std::string& path);

}  // namespace skimmer::host::services
