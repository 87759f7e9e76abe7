#include "os/hive_format.h"
#include "os/utf8.h"

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace skimmer::os {

namespace {

constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
constexpr char kHex[] = "0123456789abcdef";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Length of the well-formed UTF-8 sequence starting at text[i], 0 if there is none.
size_t utf8Length(std::string_view text, size_t i) {
    char32_t ignored = 0;
    return decodeUtf8(text, i, ignored);
}

void appendHexByte(std::string& out, char prefix, unsigned char byte) {
    out.push_back(prefix);
    if (prefix == '\\') out.push_back('x');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 15]);
}

// Escapes bytes that would break the line structure or are not valid UTF-8. `special` tells the
// printable ASCII characters that must be escaped too; `escapeAscii` writes the escape of a
// special character or of a control byte, or returns false to have it written as `prefix` + hex.
template <typename Special, typename EscapeAscii>
void escapeBytes(std::string_view text, std::string& out, char prefix, Special special, EscapeAscii escapeAscii) {
    for (size_t i = 0; i < text.size();) {
        // The run of printable ASCII that needs no escape, nearly all of a name or a text, goes in
        // at once.
        size_t end = i;
        while (end < text.size()) {
            const auto c = static_cast<unsigned char>(text[end]);
            if (c < 0x20 || c >= 0x7F || special(c)) break;
            ++end;
        }
        out.append(text.substr(i, end - i));
        i = end;
        if (i == text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t n = utf8Length(text, i);
            if (n == 0) {
                appendHexByte(out, prefix, c);
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
        } else {
            if (!escapeAscii(c, out)) appendHexByte(out, prefix, c);
            ++i;
        }
    }
}

void appendQuoted(std::string_view text, std::string& out) {
    out.push_back('"');
    const auto special = [](unsigned char c) { return c == '\\' || c == '"'; };
    escapeBytes(text, out, '\\', special, [](unsigned char c, std::string& o) {
        switch (c) {
            case '\\': o += "\\\\"; return true;
            case '"': o += "\\\""; return true;
            case '\n': o += "\\n"; return true;
            case '\r': o += "\\r"; return true;
            case '\t': o += "\\t"; return true;
            default: return false;
        }
    });
    out.push_back('"');
}

void appendComponent(std::string_view name, std::string& out) {
    // Every special character and control byte of a key name is written as %HH.
    const auto special = [](unsigned char c) { return c == '%' || c == '[' || c == ']' || c == '\\'; };
    escapeBytes(name, out, '%', special, [](unsigned char, std::string&) { return false; });
}

void appendValue(const HiveValue& value, std::string& out) {
    if (value.name.empty()) out.push_back('@');
    else appendQuoted(value.name, out);
    out.push_back('=');
    const std::string& data = value.value.data;
    switch (value.value.type) {
        case RegType::String: appendQuoted(data, out); break;
        case RegType::Dword: {
            uint32_t v = 0;
            for (size_t i = 0; i < 4 && i < data.size(); ++i)
                v |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
            out += "dword:";
            for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kHex[(v >> shift) & 15]);
            break;
        }
        case RegType::Binary:
            out += "hex:";
            for (size_t i = 0; i < data.size(); ++i) {
                if (i > 0) out.push_back(',');
                const auto b = static_cast<unsigned char>(data[i]);
                out.push_back(kHex[b >> 4]);
                out.push_back(kHex[b & 15]);
            }
            break;
    }
    out.push_back('\n');
}

void appendKey(const HiveKey& key, std::string& path, std::string& out, bool isRoot) {
    if (!isRoot || !key.values.empty()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const HiveValue& value : key.values) appendValue(value, out);
        out.push_back('\n');
    }
    for (const auto& [folded, child] : key.subkeys) {
        const size_t mark = path.size();
        path.push_back('\\');
        appendComponent(child.name, path);
        appendKey(child, path, out, false);
        path.resize(mark);
    }
}

// ---- reading -------------------------------------------------------------------------------

// try_emplace for entries that mostly arrive in the map's own order, as the writer puts them:
// one comparison with the last entry instead of a search from the top.
template <typename Map>
std::pair<typename Map::iterator, bool> insertSorted(Map& map, std::string folded) {
    if (map.empty() || map.rbegin()->first < folded)
        return {map.emplace_hint(map.end(), std::piecewise_construct, std::forward_as_tuple(std::move(folded)),
                                 std::forward_as_tuple()),
                true};
    return map.try_emplace(std::move(folded));
}

// True when none of the eight bytes at `p` is a control byte (below 0x20, or 0x7F) or outside
// ASCII. It may say false for a plain word (the caller then checks byte by byte), never true for
// another. A byte b below 0x80 is below 0x20 exactly when b - 0x20 borrows into its top bit, and
// is 0x7F exactly when b + 1 carries into it.
bool plainAscii8(const char* p) {
    uint64_t x = 0;
    std::memcpy(&x, p, sizeof x);
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    const uint64_t low = (x - 0x20 * kOnes) & ~x;
    const uint64_t del = ((x & ~kHigh) + kOnes) & ~x;
    return ((x | low | del) & kHigh) == 0;
}

// Where the run of text without '"' or '\\' that starts at `pos` ends: most texts hold neither
// escapes nor quotes, so two byte searches find the run faster than testing each byte for both.
size_t plainRunEnd(std::string_view line, size_t pos) {
    const size_t quote = std::min(line.find('"', pos), line.size());
    return std::min(line.substr(0, quote).find('\\', pos), quote);
}

// How many lines `rest` (text from a line's start) holds before the next section line. A '['
// starts a line only there: key names escape it, and value lines start with '"' or '@'.
size_t linesBeforeSection(std::string_view rest) {
    size_t stop = 0;
    while ((stop = rest.find('[', stop)) != std::string_view::npos && stop != 0 && rest[stop - 1] != '\n') ++stop;
    return static_cast<size_t>(std::count(rest.begin(), rest.begin() + std::min(stop, rest.size()), '\n'));
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}
    HiveParse run();

private:
    // Reports the first fault of the file: a key given twice is found only when the parse stops,
    // so one before `lineNo_` is reported instead of the fault found there.
    bool fail(std::string reason) {
        const size_t repeat = repeatedSection();
        result_.outcome = HiveParse::Outcome::Damaged;
        result_.line = repeat != 0 && repeat < lineNo_ ? repeat : lineNo_;
        result_.reason = result_.line == lineNo_ ? std::move(reason) : "key given twice";
        return false;
    }
    // The line of the first section that opens a key given a section before it; 0 if there is
    // none. Sections are collected and compared once at the end: remembering each key in a set
    // as it comes costs a node per key, a large share of reading a hive of thousands of keys.
    size_t repeatedSection() {
        std::sort(sections_.begin(), sections_.end());
        size_t first = 0;
        for (size_t i = 1; i < sections_.size(); ++i)
            if (sections_[i].first == sections_[i - 1].first && (first == 0 || sections_[i].second < first))
                first = sections_[i].second;
        return first;
    }
    bool header(std::string_view line);
    bool bodyLine(std::string_view line);
    bool section(std::string_view line);
    bool component(std::string_view body, size_t& i, std::string& part);
    bool valueLine(std::string_view line);
    bool quoted(std::string_view line, size_t& pos, std::string& out);
    bool data(std::string_view rest, RegValue& out);
    bool checkText(std::string_view line);

    std::string_view text_;
    HiveParse result_;
    size_t lineNo_ = 0;
    HiveKey* current_ = nullptr;
    std::string_view rest_;  // the text after the line being parsed
    std::vector<std::pair<const HiveKey*, size_t>> sections_;  // each key that had a line, and the line
    // The previous section's components as written (views into the text), with their keys
    // (stable: map nodes never move).
    std::vector<std::pair<std::string_view, HiveKey*>> open_;
};

bool Parser::header(std::string_view line) {
    if (line.substr(0, kHiveMagic.size()) != kHiveMagic) return fail("not a Skimmer registry hive");
    const std::string_view digits = line.substr(kHiveMagic.size());
    if (digits.empty() || digits.size() > 9 || digits[0] == '0') return fail("bad version");
    int version = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return fail("bad version");
        version = version * 10 + (c - '0');
    }
    if (version > kHiveVersion) {
        result_.outcome = HiveParse::Outcome::NewerVersion;
        result_.reason = std::string(line);
        return false;
    }
    return version == kHiveVersion || fail("unknown version");
}

// Raw control bytes and invalid UTF-8 never occur in what the writer produces.
bool Parser::checkText(std::string_view line) {
    // Eight bytes at a time while they are all printable ASCII; the byte-wise loop below looks
    // closely at the first word that may hold anything else.
    size_t i = 0;
    while (i + 8 <= line.size() && plainAscii8(line.data() + i)) i += 8;
    while (i < line.size()) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c == 0x7F) return fail("control byte in line");
        if (c < 0x80) {  // printable ASCII, nearly every byte of a hive: no decoding needed
            ++i;
            continue;
        }
        const size_t n = utf8Length(line, i);
        if (n == 0) return fail("invalid UTF-8");
        i += n;
    }
    return true;
}

// One percent-escaped key name, up to the next '\' or the end of `body`.
bool Parser::component(std::string_view body, size_t& i, std::string& part) {
    // Nearly every name holds no escape and no bracket: it is taken whole.
    const size_t end = std::min(body.find('\\', i), body.size());
    const std::string_view raw = body.substr(i, end - i);
    if (raw.find_first_of("%[]") == std::string_view::npos) {
        part.assign(raw);
        i = end;
        return !part.empty() && part.size() <= kMaxNameBytes ? true : fail("bad key name");
    }
    for (; i < body.size() && body[i] != '\\'; ++i) {
        const char c = body[i];
        if (c == '[' || c == ']') return fail("bracket in key name");
        if (c != '%') {
            part.push_back(c);
            continue;
        }
        const int hi = i + 2 < body.size() ? hexDigit(body[i + 1]) : -1;
        const int lo = hi >= 0 ? hexDigit(body[i + 2]) : -1;
        if (lo < 0) return fail("bad %-escape in key name");
        part.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return !part.empty() && part.size() <= kMaxNameBytes ? true : fail("bad key name");
}

bool Parser::section(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return fail("bad key line");
    std::string_view body = line.substr(1, line.size() - 2);
    if (body.substr(0, kRootName.size()) != kRootName) return fail("key outside HKEY_CURRENT_USER");
    body.remove_prefix(kRootName.size());
    if (!body.empty() && body[0] != '\\') return fail("bad key line");
    // Sections come parents first, so a key usually shares its leading components with the one
    // before: those are neither decoded nor looked up again (equal bytes are surely the same key,
    // and were found valid on that line).
    HiveKey* key = &result_.root;
    size_t depth = 0;
    while (!body.empty()) {
        body.remove_prefix(1);  // the '\'
        const std::string_view raw = body.substr(0, std::min(body.find('\\'), body.size()));
        body.remove_prefix(raw.size());
        if (depth >= kMaxKeyDepth) return fail("keys nested too deeply");
        if (depth < open_.size() && open_[depth].first == raw) {
            key = open_[depth].second;
        } else {
            std::string part;
            size_t i = 0;
            if (!component(raw, i, part)) return false;
            open_.resize(depth);
            auto [it, added] = insertSorted(key->subkeys, foldName(part));
            if (added) it->second.name = std::move(part);
            key = &it->second;
            open_.emplace_back(raw, key);
        }
        ++depth;
    }
    open_.resize(depth);
    sections_.emplace_back(key, lineNo_);
    current_ = key;
    // Room for the lines up to the next section, the key's values: grown once rather than doubled.
    key->values.reserve(linesBeforeSection(rest_) + 1);
    return true;
}

bool Parser::quoted(std::string_view line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return fail("expected '\"'");
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (out.size() >= kMaxValueBytes) return fail("text too long");
        if (c != '\\') {
            // The plain run up to the next quote or escape goes in at once, within the limit.
            const size_t stop = plainRunEnd(line, pos);
            const size_t take = std::min(stop - pos, kMaxValueBytes - out.size());
            out.append(line.substr(pos, take));
            pos += take - 1;
            continue;
        }
        if (++pos >= line.size()) break;
        switch (line[pos]) {
            case '\\': out.push_back('\\'); break;
            case '"': out.push_back('"'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'x': {
                const int hi = pos + 2 < line.size() ? hexDigit(line[pos + 1]) : -1;
                const int lo = hi >= 0 ? hexDigit(line[pos + 2]) : -1;
                if (lo < 0) return fail("bad \\x escape");
                out.push_back(static_cast<char>(hi * 16 + lo));
                pos += 2;
                break;
            }
            default: return fail("unknown escape");
        }
    }
    return fail("unterminated text");
}

bool Parser::data(std::string_view rest, RegValue& out) {
    if (!rest.empty() && rest[0] == '"') {
        size_t pos = 0;
        out.type = RegType::String;
        if (!quoted(rest, pos, out.data)) return false;
        return pos == rest.size() || fail("text after value");
    }
    if (rest.substr(0, 6) == "dword:") {
        rest.remove_prefix(6);
        if (rest.size() != 8) return fail("a dword needs 8 hex digits");
        uint32_t v = 0;
        for (char c : rest) {
            const int d = hexDigit(c);
            if (d < 0) return fail("a dword needs 8 hex digits");
            v = (v << 4) | static_cast<uint32_t>(d);
        }
        out = RegValue::dword(v);
        return true;
    }
    if (rest.substr(0, 4) != "hex:") return fail("unknown value type");
    rest.remove_prefix(4);
    out.type = RegType::Binary;
    for (size_t i = 0; i < rest.size(); i += 3) {
        const int hi = hexDigit(rest[i]);
        const int lo = i + 1 < rest.size() ? hexDigit(rest[i + 1]) : -1;
        const bool separated = i + 2 == rest.size() || (i + 2 < rest.size() && rest[i + 2] == ',' && i + 3 < rest.size());
        if (hi < 0 || lo < 0 || !separated) return fail("bad hex bytes");
        if (out.data.size() >= kMaxValueBytes) return fail("binary value too long");
        out.data.push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

bool Parser::valueLine(std::string_view line) {
    if (current_ == nullptr) return fail("value outside any key");
    std::string unescaped;
    std::string_view name;
    size_t pos = 0;
    if (line[0] == '@') {
        pos = 1;
    } else if (const size_t run = plainRunEnd(line, 1); run < line.size() && line[run] == '"') {
        name = line.substr(1, run - 1);  // no escape: the name is used where it stands
        pos = run + 1;
    } else {
        if (!quoted(line, pos, unescaped)) return false;
        name = unescaped;
    }
    if (line[0] != '@' && name.empty()) return fail("empty value name must be written @");
    if (name.size() > kMaxNameBytes) return fail("value name too long");
    if (pos >= line.size() || line[pos] != '=') return fail("expected '='");
    // The value is read straight into its place; on a fault the whole parse is thrown away.
    auto [it, added] = current_->values.try_emplace(name);
    if (!added) return fail("value given twice");
    return data(line.substr(pos + 1), it->value);
}

bool Parser::bodyLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!checkText(line)) return false;
    if (line.empty() || line[0] == ';') return true;
    if (line[0] == '[') return section(line);
    if (line[0] == '"' || line[0] == '@') return valueLine(line);
    return fail("unrecognised line");
}

HiveParse Parser::run() {
    if (text_.size() > kMaxHiveFileBytes) {
        fail("file too large");
        return std::move(result_);
    }
    // The end line must close the file exactly; anything cut short fails here, before parsing.
    std::string_view body = text_;
    bool ended = false;
    for (std::string_view eol : {std::string_view("\n"), std::string_view("\r\n")}) {
        const std::string tail = "\n" + std::string(kHiveEndLine) + std::string(eol);
        if (body.size() >= tail.size() && body.substr(body.size() - tail.size()) == tail) {
            body.remove_suffix(tail.size() - 1);
            ended = true;
            break;
        }
    }
    sections_.reserve(body.size() / 256);  // about one key in so many bytes of a typical hive
    size_t start = 0;
    while (start < body.size()) {
        ++lineNo_;
        const size_t end = body.find('\n', start);
        std::string_view line = body.substr(start, end - start);
        start = end == std::string_view::npos ? body.size() : end + 1;
        rest_ = body.substr(start);
        if (lineNo_ == 1) {
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!header(line)) return std::move(result_);
            continue;
        }
        if (!bodyLine(line)) return std::move(result_);
    }
    if (lineNo_ == 0) fail("empty file");
    else if (!ended) {
        ++lineNo_;
        fail("file is incomplete (no end line)");
    } else if (repeatedSection() != 0) {
        ++lineNo_;  // past every section: the repeat is reported at its own line
        fail("key given twice");
    }
    return std::move(result_);
}

}  // namespace

HiveParse parseHive(std::string_view text) { return Parser(text).run(); }

std::string serializeHive(const HiveKey& root, size_t expectedBytes) {
    std::string out;
    out.reserve(expectedBytes);
    out += kHiveMagic;
    out += std::to_string(kHiveVersion);
    out += "\n\n";
    std::string path(kRootName);
    appendKey(root, path, out, true);
    out += kHiveEndLine;
    out.push_back('\n');
    return out;
}

}  // namespace skimmer::os
