// The Temporary Panel's command and list file: `<prefix>:[<options>] <list file>` typed on the
// command line names a file that holds one path per line, and the panel lists those paths.
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
// - Options are FAR's words before the file, each `+word` or `-word`, any case, blanks between:
//   +0 … +9 (which of FAR's ten common panels), full, safe, any, menu, replace, and +ansi (taken:
//   names are bytes here whatever their code page). Any other word is refused with a reason. A
//   name in double quotes is never an option.
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

// The options of one command; an unset one leaves the panel as it is (a new panel: FAR's defaults,
// normal screen, not safe, replacing).
struct TempPanelOptions {
    std::optional<int> number;    // +0 … +9: the common panel the command is about (temp_panel_set.h)
    std::optional<bool> full;     // the panel covers the screen while active
    std::optional<bool> safe;     // nothing is run, opened, edited or copied from it; "(R)" in the title
    std::optional<bool> any;      // +: a line naming nothing is an item of text; -: it is left out
    std::optional<bool> menu;     // the list is shown as a menu instead of a panel
    std::optional<bool> replace;  // -: the list's paths are added to the panel shown
};

struct TempPanelCommand {
    TempPanelOptions options;
    std::string listFile;  // empty: the command names none
};

// The command `line` is when it is a Temporary Panel command for `prefix` (compared without regard
// to ASCII case, as FAR compares prefixes); nullopt for any other line, and always for an empty
// prefix. The file is what follows the options, without leading blanks; a name wholly in double
// quotes loses them. `error` is set for a command the panel cannot run (an option it does not take).
std::optional<TempPanelCommand> tempPanelCommand(std::string_view line, std::string_view prefix, std::string& error);

// The lines of a list file's bytes.
std::vector<std::string> parseTempPanelList(std::string_view bytes);

// Reads `file`'s lines as written; false with `error` when the list cannot be used.
bool readTempPanelLines(const std::string& file, std::vector<std::string>& lines, std::string& error);

// The path a (non-empty) line of list file `file` names: a relative line is below the file's folder.
std::string tempPanelPath(const std::string& file, const std::string& line);

// Reads and parses `file`, relative lines made paths below its folder; false with `error` when the
// list cannot be used.
bool readTempPanelList(const std::string& file, std::vector<std::string>& paths, std::string& error);

}  // namespace skimmer::host::app
