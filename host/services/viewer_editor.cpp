#include "host/services/viewer_editor.h"

#include <sys/stat.h>

#include <cstdlib>

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

// What tells "the editor changed the file": its identity, size and change time.
struct Stamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};
    bool operator==(const Stamp& o) const {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec &&
               ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

Stamp stampOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
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
    Stamp before = stampOf(path);
    auto run = runInForeground(withArguments(editorCandidates(env), extra), "", terminal);
    if (!run.started) return {EditOutcome::OpenError, run.error};
    return {stampOf(path) == before ? EditOutcome::NotModified : EditOutcome::Modified, {}};
}

}  // namespace skimmer::host::services
