#include "os/desktop_file.h"

#include "os/utf8.h"

#include <cstdlib>

namespace skimmer::os {

namespace {

// A key is [A-Za-z0-9-]+ optionally followed by [locale]; anything else makes the line malformed.
bool validKey(std::string_view key) {
    const size_t bracket = key.find('[');
    const std::string_view base = key.substr(0, bracket);
    if (base.empty()) return false;
    for (char c : base)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    if (bracket == std::string_view::npos) return true;
    return key.back() == ']' && key.size() > bracket + 2 && key.find('[', bracket + 1) == std::string_view::npos;
}

// Splits "lang_COUNTRY.ENCODING@MODIFIER" into its parts (encoding dropped).
struct LocaleParts {
    std::string lang, country, modifier;
};

LocaleParts splitLocale(std::string_view locale) {
    LocaleParts parts;
    const size_t at = locale.find('@');
    if (at != std::string_view::npos) parts.modifier = locale.substr(at + 1);
    std::string_view rest = locale.substr(0, at);
    rest = rest.substr(0, rest.find('.'));
    const size_t underscore = rest.find('_');
    parts.lang = rest.substr(0, underscore);
    if (underscore != std::string_view::npos) parts.country = rest.substr(underscore + 1);
    return parts;
}

}  // namespace

std::string unescapeDesktopValue(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        switch (raw[++i]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += raw[i]; break;
        }
    }
    return out;
}

DesktopFile parseDesktopFile(std::string_view text) {
    DesktopFile file;
    std::map<std::string, std::string, std::less<>>* group = nullptr;
    bool ignoringGroup = false;  // a repeated group: its keys are not taken
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = trimLine(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) { ++file.malformed_; continue; }
            const std::string name(line.substr(1, line.size() - 2));
            ignoringGroup = file.groups_.count(name) != 0;
            group = &file.groups_[name];
            continue;
        }
        const size_t eq = line.find('=');
        const std::string_view key = eq == std::string_view::npos ? line : trimLine(line.substr(0, eq));
        if (eq == std::string_view::npos || !validKey(key)) { ++file.malformed_; continue; }
        if (group == nullptr || ignoringGroup) continue;
        group->emplace(std::string(key), std::string(trimLine(line.substr(eq + 1))));
    }
    return file;
}

std::optional<std::string_view> DesktopFile::raw(std::string_view group, std::string_view key) const {
    const auto g = groups_.find(group);
    if (g == groups_.end()) return std::nullopt;
    const auto k = g->second.find(key);
    if (k == g->second.end()) return std::nullopt;
    return std::string_view(k->second);
}

std::optional<std::string> DesktopFile::string(std::string_view group, std::string_view key) const {
    const auto value = raw(group, key);
    if (!value) return std::nullopt;
    return unescapeDesktopValue(*value);
}

std::optional<std::string> DesktopFile::localeString(std::string_view group, std::string_view key,
                                                     std::string_view locale) const {
    const LocaleParts p = splitLocale(locale);
    std::vector<std::string> candidates;
    if (!p.lang.empty()) {
        if (!p.country.empty() && !p.modifier.empty()) candidates.push_back(p.lang + "_" + p.country + "@" + p.modifier);
        if (!p.country.empty()) candidates.push_back(p.lang + "_" + p.country);
        if (!p.modifier.empty()) candidates.push_back(p.lang + "@" + p.modifier);
        candidates.push_back(p.lang);
    }
    for (const std::string& suffix : candidates)
        if (auto value = string(group, std::string(key) + "[" + suffix + "]")) return value;
    return string(group, key);
}

std::optional<bool> DesktopFile::boolean(std::string_view group, std::string_view key) const {
    const auto value = raw(group, key);
    if (!value) return std::nullopt;
    if (*value == "true" || *value == "1") return true;
    if (*value == "false" || *value == "0") return false;
    return std::nullopt;
}

std::vector<std::string> DesktopFile::stringList(std::string_view group, std::string_view key) const {
    std::vector<std::string> items;
    const auto value = raw(group, key);
    if (!value) return items;
    std::string current;  // escaped text of the element being read; "\;" stays one element
    for (size_t i = 0; i < value->size(); ++i) {
        const char c = (*value)[i];
        if (c == '\\' && i + 1 < value->size()) {  // an escape pair stays together
            const char next = (*value)[++i];
            if (next == ';') current += ';';
            else { current += c; current += next; }
        } else if (c == ';') {
            items.push_back(unescapeDesktopValue(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) items.push_back(unescapeDesktopValue(current));
    return items;
}

std::string messagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || value[0] == '\0') continue;
        const std::string_view locale(value);
        return (locale == "C" || locale == "POSIX" || locale.starts_with("C.")) ? std::string() : std::string(locale);
    }
    return {};
}

}  // namespace skimmer::os
