// The host's viewer and editor: the user's own pager and editor, run in our terminal.
//
// Contract:
// - The pager is $PAGER, then Debian's sensible-pager, then less and more; the editor is $VISUAL,
//   then $EDITOR, then sensible-editor, then vi. A variable may hold arguments ("vim -u NONE"); it
//   is split into words (host/services/shell_words.h) and never given to a shell.
// - The file name is passed as one argument; a name that starts with '-' gets "./" in front so
//   that no program can take it for an option.
// - The terminal is handed over and taken back (host/services/foreground.h).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/services/foreground.h"

namespace skimmer::host::services {

// Reads an environment variable; none when unset. Tests pass their own.
using EnvLookup = std::function<std::optional<std::string>(const char* name)>;
std::optional<std::string> processEnvironment(const char* name);

using Candidates = std::vector<std::vector<std::string>>;
Candidates pagerCandidates(const EnvLookup& env);
Candidates editorCandidates(const EnvLookup& env);

struct ViewResult {
    bool ok = false;
    std::string error;
};
ViewResult viewFile(const std::string& path, TerminalHandover& terminal, const EnvLookup& env = processEnvironment);

// The editor's outcome with FAR's numbers (EEC_OPEN_ERROR, EEC_MODIFIED, EEC_NOT_MODIFIED).
enum class EditOutcome { OpenError = 0, Modified = 1, NotModified = 2 };
struct EditResult {
    EditOutcome outcome = EditOutcome::OpenError;
    std::string error;
};
// `startLine` > 0 opens the editor there ("+N", which vi, nano and emacs understand).
EditResult editFile(const std::string& path, int startLine, TerminalHandover& terminal,
                    const EnvLookup& env = processEnvironment);

}  // namespace skimmer::host::services
