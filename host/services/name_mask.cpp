#include "host/services/name_mask.h"

#include "host/services/char_functions.h"
#include "host/term/text_width.h"
#include "os/utf8.h"

namespace skimmer::host::services {
namespace {

constexpr char32_t kInvalidBase = 0x110000;  // an undecodable byte b is the unit kInvalidBase + b

// The comparison units of a text: folded code points, undecodable bytes kept apart from them.
std::u32string units(std::string_view text) {
    std::u32string out;
    for (size_t pos = 0; pos < text.size();) {
        auto step = term::decodeUtf8(text, pos);
        out.push_back(step.valid ? os::foldCase(step.cp) : kInvalidBase + static_cast<unsigned char>(text[pos]));
        pos += step.length;
    }
    return out;
}

struct Token {
    enum Kind { Literal, Any, Star, Set } kind;
    char32_t ch = 0;                                     // Literal
    std::vector<std::pair<char32_t, char32_t>> ranges;  // Set, folded bounds

    bool matches(char32_t c) const {
        if (kind == Any) return true;
        if (kind == Literal) return c == ch;
        for (auto [lo, hi] : ranges) {
            if (c >= lo && c <= hi) return true;
        }
        return false;
    }
};

// A set runs from '[' to the next ']' and holds at least one character; `i` is at the '['.
bool parseSet(const std::u32string& m, size_t& i, Token& set) {
    size_t close = m.find(U']', i + 2);
    if (i + 1 >= m.size() || close == std::u32string::npos) return false;
    set.kind = Token::Set;
    for (size_t k = i + 1; k < close; ++k) {
        if (k + 2 < close && m[k + 1] == U'-') {
            set.ranges.emplace_back(m[k], m[k + 2]);
            k += 2;
        } else {
            set.ranges.emplace_back(m[k], m[k]);
        }
    }
    i = close;
    return true;
}

std::vector<Token> tokenize(std::string_view mask) {
    std::u32string m = units(mask);
    std::vector<Token> tokens;
    for (size_t i = 0; i < m.size(); ++i) {
        Token t{Token::Literal, m[i], {}};
        if (m[i] == U'*') {
            if (!tokens.empty() && tokens.back().kind == Token::Star) continue;
            t.kind = Token::Star;
        } else if (m[i] == U'?') {
            t.kind = Token::Any;
        } else if (m[i] == U'[') {
            Token set{Token::Set, 0, {}};
            if (parseSet(m, i, set)) t = std::move(set);
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

// What is left of the mask once the name is used up: stars, or (for a name without a dot) a '.'
// followed by stars.
bool matchesEmptyRest(const std::vector<Token>& tokens, size_t p, bool nameHasDot) {
    while (p < tokens.size() && tokens[p].kind == Token::Star) ++p;
    if (p < tokens.size() && !nameHasDot && tokens[p].kind == Token::Literal && tokens[p].ch == U'.') {
        ++p;
        while (p < tokens.size() && tokens[p].kind == Token::Star) ++p;
    }
    return p == tokens.size();
}

// Greedy matching with one backtrack point, the last star: linear in mask × name at worst.
bool matchTokens(const std::vector<Token>& tokens, const std::u32string& name) {
    const size_t slash = name.rfind(U'/');
    const bool nameHasDot = name.find(U'.', slash == std::u32string::npos ? 0 : slash) != std::u32string::npos;
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::u32string::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < tokens.size() && tokens[p].kind == Token::Star) {
            starP = p++;
            starN = n;
        } else if (p < tokens.size() && tokens[p].matches(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    return matchesEmptyRest(tokens, p, nameHasDot);
}

// Appends the code point of `text` at `pos` (or the single undecodable byte) and steps past it.
void copyUnit(std::string_view text, size_t& pos, std::string& out) {
    size_t length = term::decodeUtf8(text, pos).length;
    out.append(text.substr(pos, length));
    pos += length;
}

std::string convertPart(std::string_view part, std::string_view mask) {
    std::string out;
    size_t pos = 0;
    for (size_t m = 0; m < mask.size();) {
        if (mask[m] == '*') {
            out.append(part.substr(pos));
            pos = part.size();
            ++m;
        } else if (mask[m] == '?') {
            if (pos < part.size()) copyUnit(part, pos, out);
            ++m;
        } else {
            copyUnit(mask, m, out);
            if (pos < part.size()) pos += term::decodeUtf8(part, pos).length;
        }
    }
    return out;
}

}  // namespace

bool matchMask(std::string_view mask, std::string_view name) {
    if (mask.empty()) return false;
    return matchTokens(tokenize(mask), units(name));
}

MaskList parseMaskList(std::string_view list) {
    MaskList result;
    std::vector<std::string>* target = &result.include;
    std::string current;
    bool quoted = false;
    bool hadQuotes = false;
    auto finish = [&] {
        std::string mask = hadQuotes ? current : std::string(os::trim(current));
        if (!mask.empty()) target->push_back(std::move(mask));
        current.clear();
        hadQuotes = false;
    };
    for (char c : list) {
        if (c == '"') {
            if (!quoted && !hadQuotes) current = std::string(os::trim(current));  // blanks before the quote
            quoted = !quoted;
            hadQuotes = true;
        } else if (!quoted && (c == ',' || c == ';')) {
            finish();
        } else if (!quoted && c == '|' && target == &result.include) {
            finish();
            target = &result.exclude;
        } else if (quoted || !hadQuotes || (c != ' ' && c != '\t')) {
            current.push_back(c);  // blanks after a closing quote are dropped
        }
    }
    finish();
    return result;
}

bool matchMaskList(std::string_view list, std::string_view name) {
    MaskList masks = parseMaskList(list);
    if (masks.include.empty() && masks.exclude.empty()) return false;
    const std::u32string nameUnits = units(name);  // once for all masks of the list
    auto any = [&](const std::vector<std::string>& ms) {
        for (const auto& m : ms) {
            if (matchTokens(tokenize(m), nameUnits)) return true;
        }
        return false;
    };
    return (masks.include.empty() || any(masks.include)) && !any(masks.exclude);
}

std::string_view nameOfPath(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string generateName(std::string_view name, std::string_view mask, size_t prefixLength) {
    std::string_view subject = name;
    std::string_view rest;
    if (prefixLength > 0 && prefixLength < name.size()) {
        subject = name.substr(0, prefixLength);
        rest = name.substr(prefixLength);
    }
    if (mask.find_first_of("*?") == std::string_view::npos) return std::string(mask) + std::string(rest);
    size_t maskDot = mask.rfind('.');
    if (maskDot == std::string_view::npos) return convertPart(subject, mask) + std::string(rest);
    size_t dot = subject.rfind('.');
    std::string_view base = dot == std::string_view::npos ? subject : subject.substr(0, dot);
    std::string_view ext = dot == std::string_view::npos ? std::string_view() : subject.substr(dot + 1);
    std::string result = convertPart(base, mask.substr(0, maskDot));
    std::string extension = convertPart(ext, mask.substr(maskDot + 1));
    if (!extension.empty()) result += "." + extension;
    return result + std::string(rest);
}

}  // namespace skimmer::host::services
