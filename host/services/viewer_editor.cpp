#include "host/services/viewer_editor.h"

#include <cstdlib>

#include "host/services/file_stamp.h"
#include "host/services/shell_words.h"

namespace skimmer::host::services {
namespace {

// A variable's command, when it is set, not blank and splits cleanly.
void addFromVariable(const EnvLookup& env, const char* name, Candidates& out) {
    auto value = env(name);
    std::vector<std::string> words;
    std::string error;
    if (value && splitShellWords(*value, words, error) && !words.empty()) out.push_back(std::move(words));
}

std::string safePathArgument(const std::string& path) { return !path.empty() && path[0] == '-' ? "./" + path : path; }

Candidates withArguments(Candidates candidates, const std::vector<std::string>& extra) {
    for (auto& c : candidates) c.insert(c.end(), extra.begin(), extra.end());
    return candidates;
}

}  // namespace

std::optional<std::string> processEnvironment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
}

Candidates pagerCandidates(const EnvLookup& env) {
    Candidates c;
    addFromVariable(env, "PAGER", c);
    c.push_back({"sensible-pager"});
    c.push_back({"less"});
    c.push_back({"more"});
    return c;
}

Candidates editorCandidates(const EnvLookup& env) {
    Candidates c;
    addFromVariable(env, "VISUAL", c);
    addFromVariable(env, "EDITOR", c);
    c.push_back({"sensible-editor"});
    c.push_back({"vi"});
    return c;
}

ViewResult viewFile(const std::string& path, TerminalHandover& terminal, const EnvLookup& env) {
    auto run = runInForeground(withArguments(pagerCandidates(env), {safePathArgument(path)}), "", terminal);
    return {run.started, run.error};
}

EditResult editFile(const std::string& path, int startLine, TerminalHandover& terminal, const EnvLookup& env) {
    std::vector<std::string> extra;
    if (startLine > 0) extra.push_back("+" + std::to_string(startLine));
    extra.push_back(safePathArgument(path));
    const std::string before = fileStamp(path);
    auto run = runInForeground(withArguments(editorCandidates(env), extra), "", terminal);
    if (!run.started) return {EditOutcome::OpenError, run.error};
    return {fileStamp(path) == before ? EditOutcome::NotModified : EditOutcome::Modified, {}};
}

}  // namespace skimmer::host::services
