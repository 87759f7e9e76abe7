// What both systems' whole-file writes (export_file_posix.cpp, export_file_win32.cpp) share,
// built once in export_file.cpp: the one-line text of a failed step, and a write loop that takes
// short writes until every byte is out. Internal to os/.
#pragma once

#include <cstddef>
#include <string>

#include "os/file_system.h"

namespace skimmer::os::export_detail {

// "WHAT PATH: the system's text for err".
std::string describe(int err, const char* what, const std::string& path);

// Writes all of `data` to `fd`; 0, or the first error (EIO when the system wrote nothing).
int writeAll(FileSystem& fs, int fd, const char* data, size_t size);

}  // namespace skimmer::os::export_detail
