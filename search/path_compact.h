// Fitting a path into a column: our own counterpart of the shell's path compaction, and the one the
// path column uses on each system.
//
// Contract: pure; characters are counted as in text_trunc.h and never split. The result is never
// longer than Max characters. A path that fits is returned unchanged. Otherwise the file name (the
// part after the last separator) is kept whole and as much of the path's beginning as fits goes in
// front of ".../" (the separator after the dots is the path's): "/home/ann/projects/report.txt" in
// 20 gives "/home/.../report.txt". When even the gap and the whole name do not fit, the name alone
// is cut at its end with "..." (so its beginning, the part people read, stays).
#pragma once

#include <string>
#include <string_view>

namespace skimmer::search {

// `Separator` is the folder separator: '/' on Linux; the Windows column gives '\\'.
std::string CompactPath(std::string_view Path, int Max, char Separator = '/');

// The path column's compaction, with the same guarantees on length: on Windows the shell's own
// (os/path_compact.h), so the column reads as Explorer's do, with CompactPath answering for a path
// the shell refuses; elsewhere CompactPath. (path_compact_posix.cpp, path_compact_win32.cpp)
std::string CompactPathForColumn(std::string_view Path, int Max);

}  // namespace skimmer::search
