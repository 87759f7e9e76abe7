// Turns the Exec line of a desktop entry into an argument vector, following the quoting and
// field-code rules of the freedesktop Desktop Entry format.
//
// Contract:
// - Pure functions: no file is read and nothing is started. The input values are the already
//   unescaped strings of a key-file parser (os/desktop_file.h), so `\\` and `\s` are gone already;
//   what is left is the Exec quoting level.
// - Every file name or URL given as a target becomes exactly one argument (or exactly its own
//   place inside one argument) byte for byte, whatever it contains: the result is meant for
//   posix_spawn, never for a shell.
// - A malformed line (an unterminated quote, an unknown field code, a list code inside a longer
//   argument) is an error with a one-line reason; nothing is guessed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os {

// The values of one desktop entry that launching needs.
struct DesktopLaunch {
    std::string exec;      // Exec=, unescaped
    std::string icon;      // Icon=, for %i
    std::string name;      // the translated Name=, for %c
    std::string location;  // the .desktop file's own path, for %k
    std::string path;      // Path=, the working directory; empty: ours
    bool terminal = false;  // Terminal=true: the program needs a terminal
};

struct ExecCommand {
    bool ok = false;
    std::string error;                // set when !ok
    std::vector<std::string> argv;    // argv[0] is the program
    std::string workingDirectory;     // from Path=
    bool terminal = false;
};

// Splits an Exec value into its arguments, undoing the double-quote level (inside quotes `\"`,
// `\``, `\$` and `\\` stand for the character). Unquoted reserved characters are kept literally.
bool splitExec(std::string_view exec, std::vector<std::string>& args, std::string& error);

// The command that opens `targets` (local paths or URLs) with the entry. %f/%u take the first
// target, %F/%U all of them; %f/%F pass file: URLs as local paths and skip other URLs. Codes
// with nothing to pass are removed. %i becomes "--icon <Icon>", %c the name, %k the location,
// %% a '%'; the deprecated %d %D %n %N %v %m expand to nothing.
ExecCommand expandExec(const DesktopLaunch& entry, const std::vector<std::string>& targets);

// True for "scheme:rest" with an RFC 3986 scheme of two or more characters (so "C:" is no URL and
// neither is any path that starts with '/').
bool looksLikeUrl(std::string_view text);

// A local path for a file: URL; empty when `url` is not one. "file://[localhost]/a%20b" is a
// standard URL and is percent-decoded ("/a b"); "file:/path" (one slash) is the index's own form,
// "file:" + the raw path, and is taken byte for byte, so a name with '%' or '#' survives.
std::string fileUrlToPath(std::string_view url);

// A POSIX shell rendering of an argument vector in single-quoted words, for showing a command on
// the command line; plain words (letters, digits, and _ . / = : , + @ % -, not starting with '=')
// stay unquoted. Every other word is quoted, so that bash and zsh read it as it is, too.
std::string shellQuote(const std::vector<std::string>& argv);

}  // namespace skimmer::os
