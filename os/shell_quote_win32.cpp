#include "os/shell_quote.h"

#include <algorithm>

namespace skimmer::os {
namespace {

// Characters cmd.exe splits a line at or acts on outside quotes.
constexpr std::string_view kNeedQuotes = " \t,;=&|<>^()@%!";

// Why cmd.exe cannot carry `path`, or empty when it can.
std::string refusal(std::string_view path) {
    const std::string shown = "\"" + std::string(path) + "\"";
    if (path.empty()) return "an empty path cannot be put on the command line";
    if (std::any_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return "the path " + shown + " holds a control character, which the command line cannot carry";
    if (path.find('"') != std::string_view::npos)
        return "the path " + shown + " holds a double quote, which the command line cannot carry";
    if (std::count(path.begin(), path.end(), '%') >= 2)
        return "the path " + shown + " holds two '%' signs, which the command line would read as a variable";
    return {};
}

bool needsQuotes(std::string_view path) { return path.find_first_of(kNeedQuotes) != std::string_view::npos; }

}  // namespace

bool commandLineToRun(std::string_view path, std::string& line, std::string& error) {
    error = refusal(path);
    if (!error.empty()) return false;
    line = needsQuotes(path) ? "@\"" + std::string(path) + "\"" : std::string(path);
    return true;
}

bool commandLineArgument(std::string_view path, std::string& word, std::string& error) {
    error = refusal(path);
    if (!error.empty()) return false;
    if (!needsQuotes(path)) {
        word = path;
        return true;
    }
    // A program built on the C runtime reads a backslash before the closing quote as escaping it;
    // doubled, the run arrives as it was (cmd.exe itself takes backslashes as they are).
    const size_t run = path.size() - (path.find_last_not_of('\\') + 1);
    word = "\"" + std::string(path) + std::string(run, '\\') + "\"";
    return true;
}

}  // namespace skimmer::os
