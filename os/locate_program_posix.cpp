#include "os/locate_program.h"

#include "os/paths.h"

namespace skimmer::os {

const char* locateProgramName() { return "locate"; }
const char* locateEngineName() { return "locate"; }

std::string locateProgramIn(std::string_view folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
    if (folder.empty()) return locateProgramName();
    return joinPath(folder, locateProgramName());
}

std::vector<std::string> locateSearchArguments(const std::string& program, const std::vector<std::string>& words) {
    // "--" ends the options: a typed "-r" or "--regex" is a word to look for, nothing else.
    std::vector<std::string> argv{program, "-i", "--"};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
}

std::optional<std::vector<std::string>> locateFirstHitsArguments(const std::string& program,
                                                                 const std::vector<std::string>& words, size_t limit) {
    // plocate and mlocate both stop after "-l N" hits, printed in the order of the full search.
    std::vector<std::string> argv{program, "-i", "-l", std::to_string(limit), "--"};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
}

std::vector<std::string> locateVersionArguments(const std::string& program) { return {program, "--version"}; }

}  // namespace skimmer::os
