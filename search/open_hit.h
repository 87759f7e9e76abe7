// What is done with a chosen hit once the window has it: opened with its default application,
// its folder shown in the file panel with the cursor on it, its path put on the host's command
// line; and the Temporary Panel's command prefix read from FAR's own key.
//
// Contract:
// - Everything runs on FAR's main thread and reaches the host only through its service tables,
//   the system only through os/ (the opener is injectable, so tests never start a program).
// - A path put on the command line is quoted for the shell: a hit named `a; touch pwned` or
//   `$(id)` runs that file and nothing else, whether the host runs the line itself or hands it
//   to a shell.
// - The cursor is put on a hit's file by a key macro whose name is a macro string literal
//   (platform/macro_string.h): a name holding `")`, `$Text` or key names is one name, never macro code.
// - Failures are said: an opener that cannot open the hit shows its reason in the error box
//   (the host's own shell would too), and so does a mail hit whose message cannot be found.
// - A mail hit is shown as its mail client says (search/mail_items.h): by the client itself, or by
//   a mail reader that takes the terminal, run through the command line like a terminal program
//   from an argument vector quoted word by word (the message's subject and sender are never part
//   of it), or else in the host's viewer.
#pragma once

#include <optional>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "os/default_open.h"
#include "platform/host_tables.h"
#include "platform/plugin_context.h"
#include "platform/registry_access.h"
#include "results/search_result.h"
#include "search/mail_items.h"

namespace skimmer::search {

// What the operations reach: the plug-in's context (the host, the registry, which may be null and
// then nothing is read, FAR's registry root and the desktop's opener, which is
// os::openWithDefaultApplication when empty), referred to, never copied, and the mail client.
struct HitServices {
    const platform::PluginContext* context = nullptr;  // the caller's; outlives the call
    MailAccess mail;
};

// The text that, typed on the command line and run, runs `path` and nothing else (os/shell_quote.h);
// none, with `error` saying why, when the system's command interpreter cannot carry the path.
std::optional<std::string> commandLineFor(const std::string& path, std::string& error);
// `path` as one argument after what the command line already holds; none, with `error`, likewise.
std::optional<std::string> commandLineArgumentFor(const std::string& path, std::string& error);

// True when the hit is something a command line can run: a file by its path. A mail item, and a
// hit whose path is a URL (a web page, a "mapi://" message), has no file to run; the command-line
// action opens such a hit as the shell action does.
bool RunsFromCommandLine(const results::TSearchResult& Hit);

// Puts `text` on FAR's command line and posts Enter, so the host runs it as if typed.
void runThroughCommandLine(const HitServices& services, const std::string& text);

// Opens the hit with its default application (the shell action), showing language message 73
// while it opens: its UrlW, or its Path when it has no URL (a locate hit). A program that needs a
// terminal is run through the command line instead.
void OpenHit(const HitServices& services, const results::TSearchResult& Hit);

// Shows the mail item with entry id EntryId (48 hexadecimal digits); returns why it could not, or
// an empty text.
std::string OpenMailItem(const HitServices& services, const std::string& EntryId);

// The active panel goes to FullPath's folder with its cursor on FullPath's file.
void GoToFile(const HitServices& services, const std::string& FullPath);

// GoToFile for line n (0-based) of the result chain, given as a lookup: Folder + Title, or Title
// alone when it is already a whole path (a locate hit); nothing for a header, a line that does
// not exist or a hit without a name.
using LineLookup = std::function<const results::TSearchResult*(int32_t n)>;
void GoToLine(const HitServices& services, const LineLookup& lines, int32_t n);

// Prefix := FAR's "Plugins\TmpPanel" value "Prefix" when that key exists; unchanged otherwise.
void ReadTmpPanelPrefix(const HitServices& services, std::string& Prefix);

}  // namespace skimmer::search
