// A reader for the freedesktop "key file" format that .desktop entries use: [Group] headers and
// Key=Value or Key[locale]=Value lines, '#' comments.
//
// Contract:
// - `parseDesktopFile` accepts any bytes and never fails: lines that are neither a group header,
//   a comment nor a key assignment are skipped and counted in `malformedLines`; keys before the
//   first group are ignored; for a key given twice in a group the first one counts (as for a group
//   given twice).
// - Values come back unescaped (\s \n \t \r \\, and \; inside lists); nothing else is interpreted.
// - Pure functions on strings: no file or environment access except `messagesLocale`.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os {

class DesktopFile {
public:
    // The raw (still escaped) value of `key` in `group`; `key` may carry a locale ("Name[de]").
    std::optional<std::string_view> raw(std::string_view group, std::string_view key) const;

    // The unescaped string value.
    std::optional<std::string> string(std::string_view group, std::string_view key) const;

    // The value for `locale` ("de_AT.UTF-8@euro" or "" for none), tried in the order
    // lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang, then the unlocalized key.
    std::optional<std::string> localeString(std::string_view group, std::string_view key,
                                            std::string_view locale) const;

    // "true" / "false" (also "1" / "0", which older files use); none for a missing or other value.
    std::optional<bool> boolean(std::string_view group, std::string_view key) const;

    // A ';'-separated list; a trailing ';' does not make an empty last element.
    std::vector<std::string> stringList(std::string_view group, std::string_view key) const;

    bool hasGroup(std::string_view group) const { return groups_.count(std::string(group)) != 0; }
    size_t malformedLines() const { return malformed_; }

private:
    friend DesktopFile parseDesktopFile(std::string_view text);
    std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> groups_;
    size_t malformed_ = 0;
};

DesktopFile parseDesktopFile(std::string_view text);

// Undoes the key-file escapes \s \n \t \r \\ ; an unknown escape keeps its backslash.
std::string unescapeDesktopValue(std::string_view raw);

// The locale that selects translated messages: the first non-empty of LC_ALL, LC_MESSAGES, LANG;
// "" when none is set or it is "C"/"POSIX".
std::string messagesLocale();

}  // namespace skimmer::os
