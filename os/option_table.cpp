#include "os/option_table.h"

#include <algorithm>

namespace skimmer::os {
namespace {

// `text` wrapped at blanks into lines of at most `width - indent` characters, every line after
// the first indented by `indent` blanks (a word longer than a line stands alone).
std::string wrapped(std::string_view text, size_t indent, size_t width) {
    const size_t room = width > indent + 20 ? width - indent : 20;
    std::string out;
    size_t used = 0;
    while (!text.empty()) {
        const size_t end = std::min(text.find(' '), text.size());
        const std::string_view word = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (word.empty()) continue;
        if (used > 0 && used + 1 + word.size() > room) {
            out += '\n' + std::string(indent, ' ');
            used = 0;
        } else if (used > 0) {
            out += ' ';
            ++used;
        }
        out += word;
        used += word.size();
    }
    return out;
}

}  // namespace

std::string spelling(const ProgramOption& option) {
    std::string text = option.alias.empty() ? std::string(option.name) : std::string(option.alias) + ", " + std::string(option.name);
    if (!option.argument.empty()) text += " " + std::string(option.argument);
    return text;
}

std::string helpLines(OptionTable table, size_t width) {
    size_t longest = 0;
    for (const ProgramOption& option : table) longest = std::max(longest, spelling(option).size());
    const size_t column = 2 + longest + 2;
    std::string out;
    for (const ProgramOption& option : table) {
        const std::string spelled = spelling(option);
        out += "  " + spelled + std::string(column - 2 - spelled.size(), ' ');
        out += wrapped(option.help, column, width) + '\n';
    }
    return out;
}

const ProgramOption* findOption(OptionTable table, std::string_view word) {
    for (const ProgramOption& option : table)
        if (word == option.name || (!option.alias.empty() && word == option.alias)) return &option;
    return nullptr;
}

OptionMatch matchOption(OptionTable table, const std::vector<std::string>& args, size_t& i) {
    const std::string& arg = args[i++];
    const size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
    const std::string word = arg.substr(0, equals);
    OptionMatch match;
    const ProgramOption* option = findOption(table, word);
    if (option == nullptr) {
        match.error = "unknown option '" + arg + "'";
    } else if (option->argument.empty() && equals != std::string::npos) {
        match.error = word + " takes no value";
    } else if (option->argument.empty()) {
        match.option = option;
    } else if (equals != std::string::npos) {
        match.option = option;
        match.value = arg.substr(equals + 1);
    } else if (i < args.size()) {
        match.option = option;
        match.value = args[i++];
    } else {
        match.error = word + " needs a value";
    }
    return match;
}

}  // namespace skimmer::os
