#include "os/desktop_exec.h"

#include "os/utf8.h"

#include <cctype>
#include <cstring>

namespace skimmer::os {
namespace {

bool isSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
           c == '.';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecode(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        int hi = s[i] == '%' && i + 2 < s.size() ? hexValue(s[i + 1]) : -1;
        int lo = hi >= 0 ? hexValue(s[i + 2]) : -1;
        if (lo >= 0) {
            out.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// What the file and URL field codes may receive.
struct Targets {
    std::vector<std::string> files;  // local paths, for %f %F
    std::vector<std::string> urls;   // everything as given, for %u %U
};

Targets classify(const std::vector<std::string>& targets) {
    Targets t;
    for (const auto& target : targets) {
        t.urls.push_back(target);
        if (!looksLikeUrl(target)) {
            t.files.push_back(target);
        } else if (std::string path = fileUrlToPath(target); !path.empty()) {
            t.files.push_back(path);
        }
    }
    return t;
}

struct Expander {
    const DesktopLaunch& entry;
    const Targets& targets;
    std::vector<std::string>& out;
    std::string& error;

    bool standalone(const std::string& arg) {
        if (arg == "%F" || arg == "%U") {
            const auto& list = arg == "%F" ? targets.files : targets.urls;
            out.insert(out.end(), list.begin(), list.end());
        } else if (arg == "%f" || arg == "%u") {
            const auto& list = arg == "%f" ? targets.files : targets.urls;
            if (!list.empty()) out.push_back(list.front());
        } else if (arg == "%i") {
            if (!entry.icon.empty()) out.insert(out.end(), {"--icon", entry.icon});
        } else if (arg.size() == 2 && arg[0] == '%' && arg[1] != 0 && std::strchr("dDnNvm", arg[1])) {
            // deprecated codes: the argument goes away with them
        } else {
            return false;
        }
        return true;
    }

    // One code inside a longer argument; false with `error` set for a code that cannot be there.
    bool code(char c, std::string& into) {
        auto first = [](const std::vector<std::string>& l) { return l.empty() ? std::string() : l.front(); };
        switch (c) {
        case '%': into.push_back('%'); return true;
        case 'f': into += first(targets.files); return true;
        case 'u': into += first(targets.urls); return true;
        case 'c': into += entry.name; return true;
        case 'k': into += entry.location; return true;
        case 'd': case 'D': case 'n': case 'N': case 'v': case 'm': return true;
        case 'F': case 'U': case 'i':
            error = std::string("the field code %") + c + " must be an argument of its own";
            return false;
        default:
            error = std::string("unknown field code %") + c + " in the Exec line";
            return false;
        }
    }

    bool argument(const std::string& arg) {
        if (standalone(arg)) return true;
        std::string expanded;
        for (size_t i = 0; i < arg.size(); ++i) {
            if (arg[i] != '%') {
                expanded.push_back(arg[i]);
            } else if (i + 1 == arg.size()) {
                error = "a lone % ends an argument of the Exec line";
                return false;
            } else if (!code(arg[++i], expanded)) {
                return false;
            }
        }
        out.push_back(std::move(expanded));
        return true;
    }
};

bool isPlainWord(const std::string& w) {
    // zsh, a common $SHELL, expands a word that starts with '=' to a program's path ("=ls").
    if (w.empty() || w.front() == '=') return false;
    for (unsigned char c : w) {
        bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && (c == 0 || !std::strchr("_./=:,+@%-", c))) return false;
    }
    return true;
}

}  // namespace

bool splitExec(std::string_view exec, std::vector<std::string>& args, std::string& error) {
    args.clear();
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() && exec[i + 1] != 0 && std::strchr("\"`$\\", exec[i + 1])) {
                current.push_back(exec[++i]);
            } else {
                current.push_back(c);
            }
        } else if (c == ' ') {
            if (inArgument) args.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            if (c == '"') quoted = true;
            else current.push_back(c);
            inArgument = true;
        }
    }
    if (quoted) {
        error = "an unterminated quote in the Exec line";
        return false;
    }
    if (inArgument) args.push_back(std::move(current));
    return true;
}

ExecCommand expandExec(const DesktopLaunch& entry, const std::vector<std::string>& targets) {
    ExecCommand cmd;
    std::vector<std::string> args;
    if (!splitExec(entry.exec, args, cmd.error)) return cmd;
    Targets t = classify(targets);
    Expander expander{entry, t, cmd.argv, cmd.error};
    for (const auto& arg : args) {
        if (!expander.argument(arg)) {
            cmd.argv.clear();
            return cmd;
        }
    }
    if (cmd.argv.empty() || cmd.argv.front().empty()) {
        cmd.argv.clear();
        cmd.error = "the Exec line names no program";
        return cmd;
    }
    cmd.ok = true;
    cmd.workingDirectory = entry.path;
    cmd.terminal = entry.terminal;
    return cmd;
}

bool looksLikeUrl(std::string_view text) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    char first = text[0];
    if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'))) return false;
    for (size_t i = 1; i < colon; ++i) {
        if (!isSchemeChar(text[i])) return false;
    }
    return true;
}

std::string fileUrlToPath(std::string_view url) {
    constexpr std::string_view kScheme = "file:";
    if (url.size() < kScheme.size()) return {};
    if (!startsWithAsciiCaseless(url, kScheme)) return {};
    std::string_view rest = url.substr(kScheme.size());
    if (rest.substr(0, 1) == "/" && rest.substr(0, 2) != "//") {
        if (rest.find('\0') != std::string_view::npos) return {};
        return std::string(rest);  // the raw form: no decoding
    }
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return {};
        std::string_view host = rest.substr(0, slash);
        if (!host.empty() && host != "localhost") return {};  // another machine's file
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest[0] != '/') return {};
    std::string path = percentDecode(rest);
    if (path.find('\0') != std::string::npos) return {};
    return path;
}

std::string shellQuote(const std::vector<std::string>& argv) {
    std::string out;
    for (const auto& word : argv) {
        if (!out.empty()) out.push_back(' ');
        if (isPlainWord(word)) {
            out += word;
            continue;
        }
        out.push_back('\'');
        for (char c : word) {
            if (c == '\'') out += "'\\''";
            else out.push_back(c);
        }
        out.push_back('\'');
    }
    return out;
}

}  // namespace skimmer::os
