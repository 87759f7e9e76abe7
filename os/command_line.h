// The one quoting of an argument vector into a Windows command line, by the rules the C runtime's
// start-up code (MSVCRT's, and every program built on it) uses to split the line back into argv.
//
// Contract: for every argument the rules can carry, the child's argv[i] equals argv[i] unit for
// unit: blanks, tabs, quotes and runs of backslashes included; an empty argument stays one. The
// program name (argv[0]) is split by simpler rules (up to the next quote, no escapes), so it may
// not hold a quote; no argument may hold a NUL. Those are refused with an error text, never
// mangled. Works on any character type so that the quoting is done on the wide text Windows
// receives (a DBCS code page's trail byte can look like a backslash); portable, so Linux tests it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os {

// One argument after the program name, quoted only when it needs it.
template <typename Char>
std::basic_string<Char> quoteArgument(std::basic_string_view<Char> arg);

// The whole line: argv[0] (quoted when it holds a blank) then each argument quoted, separated by
// one blank. False with `error` set when argv is empty or an argument cannot be carried.
template <typename Char>
bool buildCommandLine(const std::vector<std::basic_string<Char>>& argv, std::basic_string<Char>& line,
                      std::string& error);

}  // namespace skimmer::os
