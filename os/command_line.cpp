#include "os/command_line.h"

namespace skimmer::os {
namespace {

template <typename Char>
constexpr Char ch(char c) {
    return static_cast<Char>(c);
}

// The C runtime ends an unquoted argument at a blank or a tab; a newline or a vertical tab is
// quoted too, because some runtimes end there as well.
template <typename Char>
bool needsQuotes(std::basic_string_view<Char> arg) {
    if (arg.empty()) return true;
    for (Char c : arg)
        if (c == ch<Char>(' ') || c == ch<Char>('\t') || c == ch<Char>('\n') || c == ch<Char>('\v') ||
            c == ch<Char>('"'))
            return true;
    return false;
}

template <typename Char>
bool holdsNul(std::basic_string_view<Char> arg) {
    return arg.find(Char{}) != std::basic_string_view<Char>::npos;
}

}  // namespace

template <typename Char>
std::basic_string<Char> quoteArgument(std::basic_string_view<Char> arg) {
    if (!needsQuotes(arg)) return std::basic_string<Char>(arg);
    std::basic_string<Char> out(1, ch<Char>('"'));
    size_t backslashes = 0;
    for (Char c : arg) {
        if (c == ch<Char>('\\')) {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them: then each one is doubled and the
        // quote itself escaped, so that the run and the quote both arrive as typed.
        if (c == ch<Char>('"')) out.append(2 * backslashes + 1, ch<Char>('\\'));
        else out.append(backslashes, ch<Char>('\\'));
        backslashes = 0;
        out.push_back(c);
    }
    // A run at the end is followed by our closing quote: doubled, so it does not escape it.
    out.append(2 * backslashes, ch<Char>('\\'));
    out.push_back(ch<Char>('"'));
    return out;
}

template <typename Char>
bool buildCommandLine(const std::vector<std::basic_string<Char>>& argv, std::basic_string<Char>& line,
                      std::string& error) {
    line.clear();
    if (argv.empty() || argv[0].empty()) {
        error = "a command line needs a program name";
        return false;
    }
    for (const auto& arg : argv) {
        if (holdsNul<Char>(arg)) {
            error = "an argument holds a NUL character, which no command line can carry";
            return false;
        }
    }
    const std::basic_string_view<Char> program = argv[0];
    if (program.find(ch<Char>('"')) != std::basic_string_view<Char>::npos) {
        error = "a program name cannot hold a quote character on a command line";
        return false;
    }
    // The program name ends at the first blank unless quoted, and inside quotes it ends at the
    // next quote, backslashes included: "C:\Dir\" is the folder's name, not an escape.
    const bool quoteProgram = program.find_first_of(std::basic_string<Char>{ch<Char>(' '), ch<Char>('\t')}) !=
                              std::basic_string_view<Char>::npos;
    if (quoteProgram) line.push_back(ch<Char>('"'));
    line.append(program);
    if (quoteProgram) line.push_back(ch<Char>('"'));
    for (size_t i = 1; i < argv.size(); ++i) {
        line.push_back(ch<Char>(' '));
        line += quoteArgument<Char>(argv[i]);
    }
    return true;
}

template std::string quoteArgument<char>(std::string_view);
template std::wstring quoteArgument<wchar_t>(std::wstring_view);
template bool buildCommandLine<char>(const std::vector<std::string>&, std::string&, std::string&);
template bool buildCommandLine<wchar_t>(const std::vector<std::wstring>&, std::wstring&, std::string&);

}  // namespace skimmer::os
