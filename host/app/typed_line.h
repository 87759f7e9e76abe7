// What Enter on the command line does with the typed text: the classification of os/shell_open.h,
// extended to a path written as one shell word. A plug-in (or the user) that puts a path on the
// command line quotes it for the shell ('a; touch pwned', "$(id)"); such a line names exactly
// one existing file and is opened or run as that file, without a shell, just as the bare path is.
//
// Contract: pure apart from the file facts asked through `files`; nothing is run or expanded. A
// line that is not exactly one word, or whose one word is no existing file or URL, stays a
// command for the shell, where the same quoting keeps it one word. White space quoted at either
// end of the word is part of the name: `'X '` names "X " and never its sibling "X".
#pragma once

#include <string>

#include "os/shell_open.h"

namespace skimmer::host::app {

os::CommandLineTarget classifyTypedLine(const std::string& line, const std::string& currentDirectory,
                                        const os::PathQuery& files);

}  // namespace skimmer::host::app
