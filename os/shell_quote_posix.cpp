#include "os/shell_quote.h"

#include "os/desktop_exec.h"

namespace skimmer::os {

bool commandLineToRun(std::string_view path, std::string& line, std::string& error) {
    return commandLineArgument(path, line, error);
}

bool commandLineArgument(std::string_view path, std::string& word, std::string& /*error: never*/) {
    word = shellQuote({std::string(path)});
    return true;
}

}  // namespace skimmer::os
