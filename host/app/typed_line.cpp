#include "host/app/typed_line.h"

#include <vector>

#include "host/services/shell_words.h"

namespace skimmer::host::app {

os::CommandLineTarget classifyTypedLine(const std::string& line, const std::string& currentDirectory,
                                        const os::PathQuery& files) {
    os::CommandLineTarget target = os::classifyCommandLine(line, currentDirectory, files);
    if (target.action != os::CommandLineAction::Command) return target;
    std::vector<std::string> words;
    std::string error;
    // An unterminated quote is the shell's to complain about: the line stays a command.
    if (!services::splitShellWords(line, words, error) || words.size() != 1 || words[0] == line) return target;
    // The word is already unquoted: its blanks at either end were quoted, so they are the name's.
    return os::classifyPath(words[0], currentDirectory, files);
}

}  // namespace skimmer::host::app
