#include "os/locate_program.h"

namespace skimmer::os {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

const char* locateProgramName() { return "Locate.exe"; }
const char* locateEngineName() { return "Locate32"; }

std::string locateProgramIn(std::string_view folder) {
    // "C:\" and "\" are roots and keep their separator; "C:\Tools\" does not.
    const auto isRoot = [](std::string_view f) { return f.size() == 1 || (f.size() == 3 && f[1] == ':'); };
    while (!folder.empty() && isSeparator(folder.back()) && !isRoot(folder)) folder.remove_suffix(1);
    if (folder.empty()) return locateProgramName();
    std::string path(folder);
    if (!isSeparator(path.back())) path += '\\';
    return path + locateProgramName();
}

std::vector<std::string> locateSearchArguments(const std::string& program, const std::vector<std::string>& words) {
    // The words are the program's whole query, as typed: it has no option that a word needs
    // protecting from, and the command line carries each word as one argument.
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
}

std::optional<std::vector<std::string>> locateFirstHitsArguments(const std::string&, const std::vector<std::string>&,
                                                                 size_t) {
    return std::nullopt;
}

std::vector<std::string> locateVersionArguments(const std::string& program) { return {program, "/?"}; }

}  // namespace skimmer::os
