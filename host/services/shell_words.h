// Splits a command kept in an environment variable ($PAGER, $VISUAL, $EDITOR: "vim -u NONE",
// "emacsclient -t -a ''") into words the way a POSIX shell would, without any of its expansions.
//
// Contract: blanks (space, tab, newline) separate words; single quotes keep everything literally;
// double quotes let a backslash escape only $ ` " \ and newline; outside quotes a backslash keeps
// the next character literally. `$VAR`, `~`, globs, `;`, `|` and redirections are ordinary
// characters: nothing is ever run or expanded. An unterminated quote is an error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::services {

bool splitShellWords(std::string_view text, std::vector<std::string>& words, std::string& error);

}  // namespace skimmer::host::services
