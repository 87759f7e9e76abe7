// The Temporary Panel's command and list file: `<prefix>:<list file>` typed on the command line
// names a file that holds one path per line, and the panel lists those paths.
//
// Contract:
// - A line ends at LF; one CR right before the LF is dropped too, so CR LF files read the same.
//   Nothing else of a line is changed: blanks at either end, quotes, backslashes, non-ASCII bytes
//   and control characters stay, so every name a writer could put on a line comes back exactly.
//   Empty lines are skipped; a last line without a line end counts.
// - A relative line is a path below the list file's own folder.
// - A list that cannot be used is refused whole with a reason, never shown in part: a file that
//   is missing or not a regular file, one holding a zero byte (binary: no path holds one), one
//   larger than kMaxListBytes.
// - Pure parsing plus one bounded read; nothing here draws.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::app {

inline constexpr std::string_view kTempPanelPrefixDefault = "tmp";
inline constexpr size_t kMaxListBytes = size_t{64} << 20;

// The list file that `line` names when it is a Temporary Panel command for `prefix` (compared
// without regard to ASCII case, as FAR compares prefixes); nullopt for any other line, and always
// for an empty prefix. The name is what follows the colon, without leading blanks; a name wholly
// in double quotes loses them. `error` is set for a command the panel cannot run (options, which
// this panel does not take, or no file at all).
std::optional<std::string> tempPanelCommand(std::string_view line, std::string_view prefix, std::string& error);

// The paths of a list file's bytes.
std::vector<std::string> parseTempPanelList(std::string_view bytes);

// Reads and parses `file`; false with `error` when the list cannot be used.
bool readTempPanelList(const std::string& file, std::vector<std::string>& paths, std::string& error);

}  // namespace skimmer::host::app
