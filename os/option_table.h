// A program's options as one table: the single source of its --help option lines, of the parse
// that matches an argument to an option, and of what its manual page and shell completions must
// list (tests/dist holds both against the tables).
//
// Contract: pure, no I/O. `matchOption` never drops an argument silently: an argument that names
// no option of the table, or an option whose value is missing, comes back with the reason for
// refusing the command line. Tables are constant data owned by the program that declares them.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os {

// What a shell offers for an option's value.
enum class Completion {
    None,    // nothing: free text such as a query or a number
    File,    // file names
    Folder,  // folder names only
    Words,   // a fixed list of words that the program declares beside its table
};

struct ProgramOption {
    std::string_view name;      // "--db"; a short-only option is its short spelling ("-0")
    std::string_view alias;     // another spelling of the same option ("-h"), or empty
    std::string_view argument;  // the placeholder of its value ("FILE"); empty: it takes none
    Completion completion;      // of the value (None for an option without one)
    std::string_view help;      // sentences, wrapped when printed
};

using OptionTable = std::span<const ProgramOption>;

// How --help, the manual pages and the tests write an option: "-h, --help", "--db FILE".
std::string spelling(const ProgramOption& option);

// The option lines of --help: two blanks, the spelling, and the help wrapped to `width` columns in
// one column after the longest spelling.
std::string helpLines(OptionTable table, size_t width = 80);

// The option whose name or alias is `word` exactly; null for none.
const ProgramOption* findOption(OptionTable table, std::string_view word);

struct OptionMatch {
    const ProgramOption* option = nullptr;  // null when the argument is refused
    std::string value;                      // its value, for an option that takes one
    std::string error;                      // why the argument is refused
};

// Matches args[i] against the table and advances `i` past what it used. A value is the next
// argument whatever it looks like ("--limit -1" has the value "-1"), or for a long option the text
// after '=' ("--db=FILE"); an option without a value refuses "=...".
OptionMatch matchOption(OptionTable table, const std::vector<std::string>& args, size_t& i);

}  // namespace skimmer::os
