// Fitting a path into a number of characters the way the Windows shell does it (PathCompactPathExA):
// the file name is kept and the folders give way to "...".
//
// Contract: the result is never longer than `maxChars` characters of the ANSI code page; a path that
// fits comes back unchanged. None when the system refuses the request (a path or width beyond what
// it handles), so the caller can fit it another way; nothing is cut silently. Windows only
// (path_compact_win32.cpp); on Linux the search window keeps its own compaction.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skimmer::os {

std::optional<std::string> shellCompactPath(std::string_view path, int maxChars);

}  // namespace skimmer::os
