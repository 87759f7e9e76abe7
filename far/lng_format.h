// FAR's `.lng` language files: reading one from its bytes, and choosing among several.
//
// Contract:
// - `parseLng` is a pure function of the file's bytes; it never fails and never drops a message.
//   Lines end at '\n' (a '\r' before it is dropped). Each line is trimmed of spaces and tabs; only
//   a line that then starts with '"' is a message, and messages are numbered 0, 1, 2, ... in order
//   of appearance. Every other line (the header, `//` comments, blank lines) is ignored.
// - A message loses its opening '"' and, when the line ends with one, one closing '"'. Inside,
//   `""` is one '"', and `\\`, `\"`, `\n`, `\r`, `\b`, `\t` are escapes; any other backslash is
//   kept as it is. No other conversion: the bytes are the file's (UTF-8 on Linux, OEM in FAR).
// - The header `.Language=Name,Description` is found case-insensitively, anywhere before a line
//   starting `@Contents`; name and description are trimmed, and a missing comma gives an empty
//   description. Only the first such line counts.
// - FAR itself reads with a 1 KB line buffer and would split a longer line, shifting every later
//   message number. We read the line whole and report it in `warnings`, as we do a missing header
//   and a message holding a NUL byte (a C string ends there); warnings never change the result.
// - A UTF-8 byte-order mark at the very start is skipped, so the first line keeps its meaning.
// - `chooseLngFile` is FAR's choice among the language files found: the one whose language name
//   equals the current language (ASCII case-insensitively), else the one named English, else the
//   first. The caller fixes "first" by the order it passes (the host sorts by file name).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::farapi {

// The longest line (in bytes before its '\n', a '\r' included) that FAR 1.70's 1 KB line buffer
// reads whole.
inline constexpr std::size_t kLngMaxFarLineBytes = 1022;

struct LngWarning {
    std::size_t line = 0;  // 1-based; 0 for the file as a whole
    std::string text;
};

struct LngFile {
    bool hasHeader = false;
    std::string language;  // the header's Name
    std::string description;
    std::vector<std::string> messages;  // message N is GetMsg(N)
    std::vector<LngWarning> warnings;
};

namespace lng_detail {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

inline bool startsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

// The character an escape `\c` stands for, or 0 when `\c` is not an escape.
inline char escapeFor(char c) {
    switch (c) {
        case '\\': return '\\';
        case '"': return '"';
        case 'n': return '\n';
        case 'r': return '\r';
        case 'b': return '\b';
        case 't': return '\t';
        default: return 0;
    }
}

// `line` is trimmed and starts with '"'.
inline std::string decodeMessage(std::string_view line) {
    std::string_view body = line.substr(1);
    if (!body.empty() && body.back() == '"') body.remove_suffix(1);
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        bool hasNext = i + 1 < body.size();
        if (c == '\\' && hasNext && escapeFor(body[i + 1]) != 0) {
            out += escapeFor(body[++i]);
        } else if (c == '"' && hasNext && body[i + 1] == '"') {
            out += '"';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

inline void readHeader(std::string_view line, LngFile& file) {
    std::string_view value = line.substr(std::string_view(".Language=").size());
    std::size_t comma = value.find(',');
    file.hasHeader = true;
    file.language = std::string(trim(value.substr(0, comma)));
    if (comma != std::string_view::npos) file.description = std::string(trim(value.substr(comma + 1)));
}

struct Reader {
    LngFile file;
    bool headerSearchOver = false;

    void warn(std::size_t lineNumber, std::string text) {
        file.warnings.push_back({lineNumber, std::move(text)});
    }

    // `raw` is one line without its '\n' (a '\r' before it still there, as FAR's buffer holds it).
    void readLine(std::string_view raw, std::size_t lineNumber) {
        if (raw.size() > kLngMaxFarLineBytes) {
            warn(lineNumber, "line of " + std::to_string(raw.size()) + " bytes: FAR reads at most " +
                                 std::to_string(kLngMaxFarLineBytes) + " and would split it");
        }
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        std::string_view line = trim(raw);
        if (!headerSearchOver && !file.hasHeader) {
            if (startsWithIgnoreCase(line, ".Language=")) readHeader(line, file);
            else if (startsWithIgnoreCase(line, "@Contents")) headerSearchOver = true;
        }
        if (line.empty() || line.front() != '"') return;
        file.messages.push_back(decodeMessage(line));
        if (file.messages.back().find('\0') != std::string::npos) {
            warn(lineNumber, "message " + std::to_string(file.messages.size() - 1) +
                                 " holds a NUL byte; its text ends there for the host");
        }
    }
};

}  // namespace lng_detail

inline LngFile parseLng(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    lng_detail::Reader reader;
    std::size_t lineNumber = 0;
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\n');
        std::string_view raw = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        reader.readLine(raw, ++lineNumber);
    }
    if (!reader.file.hasHeader) reader.warn(0, "no .Language=Name,Description line");
    return std::move(reader.file);
}

// `languages[i]` is the language name of the i-th file found (empty for a file without a header).
inline std::optional<std::size_t> chooseLngFile(std::span<const std::string> languages,
                                                std::string_view currentLanguage) {
    auto find = [&](std::string_view wanted) -> std::optional<std::size_t> {
        if (wanted.empty()) return std::nullopt;
        for (std::size_t i = 0; i < languages.size(); ++i) {
            if (lng_detail::equalsIgnoreCase(languages[i], wanted)) return i;
        }
        return std::nullopt;
    };
    if (auto exact = find(currentLanguage)) return exact;
    if (auto english = find("English")) return english;
    if (!languages.empty()) return 0;
    return std::nullopt;
}

}  // namespace skimmer::farapi
