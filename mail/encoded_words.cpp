#include "mail/encoded_words.h"

#include <iconv.h>

#include <cerrno>
#include <unordered_map>

#include "mail/transfer_encoding.h"
#include "os/utf8.h"

namespace skimmer::mail {

namespace {

constexpr size_t kMaxCharsetName = 40;
constexpr size_t kMaxInputBytes = kMaxConvertedBytes;
constexpr size_t kMaxCachedConverters = 32;

// iconv descriptors are costly to open (a table lookup and a module load) and a crawl meets the
// same few charsets again and again: each thread keeps the ones it opened, closed at its exit.
class ConverterCache {
public:
    ~ConverterCache() { clear(); }
    // A descriptor from `charset` to UTF-8, or none for an unknown charset.
    std::optional<iconv_t> get(const std::string& charset) {
        if (auto found = open_.find(charset); found != open_.end()) return usable(found->second);
        if (open_.size() >= kMaxCachedConverters) clear();  // hostile input names endless charsets
        const iconv_t cd = iconv_open("UTF-8", charset.c_str());
        open_.emplace(charset, cd);
        return usable(cd);
    }

private:
    static std::optional<iconv_t> usable(iconv_t cd) {
        if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
        return cd;
    }
    void clear() {
        for (auto& [name, cd] : open_)
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        open_.clear();
    }
    std::unordered_map<std::string, iconv_t> open_;
};

bool isCharsetChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == ':' || c == '+';
}

// The charset's name without an RFC 2231 language, lower-cased; empty when it is not a plain name
// (iconv is never handed a path or a name with odd bytes).
std::string charsetName(std::string_view charset) {
    charset = charset.substr(0, charset.find('*'));
    if (charset.empty() || charset.size() > kMaxCharsetName) return {};
    for (char c : charset)
        if (!isCharsetChar(c)) return {};
    return os::asciiLower(charset);
}

// Valid UTF-8 copied, every invalid byte replaced by `invalid(byte)`.
template <typename Invalid>
void appendRepaired(std::string& out, std::string_view bytes, Invalid invalid) {
    for (size_t pos = 0; pos < bytes.size();) {
        char32_t cp;
        const size_t length = os::decodeUtf8(bytes, pos, cp);
        if (length == 0) {
            os::appendUtf8(out, invalid(static_cast<unsigned char>(bytes[pos])));
            ++pos;
        } else {
            out.append(bytes, pos, length);
            pos += length;
        }
    }
}

std::string throughIconv(iconv_t cd, std::string_view bytes) {
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut short): one replacement per offending byte.
        os::appendUtf8(out, os::kReplacementChar);
        ++in, --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* to = buffer;
    size_t toLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &to, &toLeft);  // the shift back to the initial state, if any
    out.append(buffer, static_cast<size_t>(to - buffer));
    return out;
}

std::string decodeQ(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') out += ' ';
        else if (text[i] == '=' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 && hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else out += text[i];
    }
    return out;
}

struct EncodedWord {
    std::string charset;  // as charsetName gives it; empty: unusable
    char encoding = 0;    // 'B' or 'Q'
    std::string bytes;    // the text decoded, in `charset`
    size_t end = 0;       // just past "?="
};

// The encoded word that starts at raw[pos], if one does.
std::optional<EncodedWord> encodedWordAt(std::string_view raw, size_t pos) {
    if (raw.compare(pos, 2, "=?") != 0) return std::nullopt;
    const size_t q1 = raw.find('?', pos + 2);
    if (q1 == std::string_view::npos || q1 + 3 >= raw.size() || raw[q1 + 2] != '?') return std::nullopt;
    const char encoding = os::asciiLower(raw[q1 + 1]) == 'b' ? 'B' : os::asciiLower(raw[q1 + 1]) == 'q' ? 'Q' : 0;
    const size_t close = raw.find("?=", q1 + 3);
    if (encoding == 0 || close == std::string_view::npos) return std::nullopt;
    const std::string_view text = raw.substr(q1 + 3, close - q1 - 3);
    EncodedWord word{.charset = charsetName(raw.substr(pos + 2, q1 - pos - 2)), .encoding = encoding, .end = close + 2};
    if (word.charset.empty() || text.find_first_of(" \t\r\n") != std::string_view::npos) return std::nullopt;
    // Base64 words are decoded one by one: padding ends each word's bytes. One that is not base64
    // is no encoded word: it stays as written (RFC 2047, section 6.3).
    if (encoding == 'Q') word.bytes = decodeQ(text);
    else if (std::optional<std::string> bytes = decodeBase64Exact(text)) word.bytes = std::move(*bytes);
    else return std::nullopt;
    return word;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Builds the decoded text: literal bytes and runs of encoded words sharing charset and encoding.
class Decoder {
public:
    void literal(std::string_view bytes) {
        flush();
        appendRepaired(out_, bytes, [](unsigned char byte) { return static_cast<char32_t>(byte); });
    }
    void word(const EncodedWord& word, std::string_view raw) {
        if (!runRaw_.empty() && (word.charset != runCharset_ || word.encoding != runEncoding_)) flush();
        runCharset_ = word.charset;
        runEncoding_ = word.encoding;
        if (runBytes_.size() < kMaxInputBytes) runBytes_ += word.bytes;
        runRaw_ += raw;
    }
    std::string finish() {
        flush();
        return std::move(out_);
    }

private:
    void flush() {
        if (runRaw_.empty()) return;
        if (std::optional<std::string> text = convertToUtf8(runCharset_, runBytes_)) out_ += *text;
        else appendRepaired(out_, runRaw_, [](unsigned char) { return os::kReplacementChar; });
        runRaw_.clear(), runBytes_.clear();
    }
    std::string out_, runCharset_, runBytes_, runRaw_;
    char runEncoding_ = 0;
};

// Control characters to blanks, blanks collapsed, the ends trimmed, the length capped.
std::string tidy(std::string_view text) {
    std::string out;
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp;
        const size_t length = os::decodeUtf8(text, pos, cp);  // the input is well-formed here
        const bool control = cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0);
        if (control || cp == ' ') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else out.append(text, pos, length);
        pos += length == 0 ? 1 : length;
        if (out.size() > kMaxDecodedBytes) break;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    out.resize(os::utf8CutPoint(out, kMaxDecodedBytes));
    return out;
}

// Charsets that name no byte order. Without a byte-order mark their text is big-endian (RFC 2781
// for UTF-16; Unicode says the same of UTF-32), where glibc's iconv would take the machine's order.
struct WideCharset {
    const char* name;
    size_t unit;  // bytes per code unit
    const char* bigEndian;
    const char* littleEndian;
};
constexpr WideCharset kWideCharsets[] = {
    {"utf-16", 2, "utf-16be", "utf-16le"}, {"utf16", 2, "utf-16be", "utf-16le"},
    {"utf-32", 4, "utf-32be", "utf-32le"}, {"utf32", 4, "utf-32be", "utf-32le"},
    {"ucs-2", 2, "ucs-2be", "ucs-2le"},    {"ucs2", 2, "ucs-2be", "ucs-2le"},
};

// The charset with its byte order made explicit, and the mark that told it taken off `bytes`.
std::string withByteOrder(const std::string& name, std::string_view& bytes) {
    for (const WideCharset& wide : kWideCharsets) {
        if (name != wide.name) continue;
        const std::string_view big = std::string_view("\x00\x00\xFE\xFF", 4).substr(4 - wide.unit);
        const std::string_view little = std::string_view("\xFF\xFE\x00\x00", 4).substr(0, wide.unit);
        if (bytes.starts_with(little)) {
            bytes.remove_prefix(wide.unit);
            return wide.littleEndian;
        }
        if (bytes.starts_with(big)) bytes.remove_prefix(wide.unit);
        return wide.bigEndian;
    }
    return name;
}

}  // namespace

std::optional<std::string> convertToUtf8(std::string_view charset, std::string_view bytes, size_t maxInputBytes) {
    const std::string name = charsetName(charset);
    if (name.empty()) return std::nullopt;
    bytes = bytes.substr(0, maxInputBytes);
    std::string out;
    if (name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii") {
        appendRepaired(out, bytes, [](unsigned char) { return os::kReplacementChar; });
        return out;
    }
    thread_local ConverterCache cache;
    const std::optional<iconv_t> cd = cache.get(withByteOrder(name, bytes));
    if (!cd) return std::nullopt;
    // iconv's output is UTF-8 by contract, but a faulty module must not smuggle bytes through.
    appendRepaired(out, throughIconv(*cd, bytes), [](unsigned char) { return os::kReplacementChar; });
    return out;
}

std::string decodeHeaderText(std::string_view raw) {
    raw = raw.substr(0, kMaxInputBytes);
    Decoder decoder;
    bool afterWord = false;  // blanks between two encoded words are dropped
    size_t pos = 0;
    while (pos < raw.size()) {
        if (std::optional<EncodedWord> word = encodedWordAt(raw, pos)) {
            decoder.word(*word, raw.substr(pos, word->end - pos));
            pos = word->end;
            afterWord = true;
            continue;
        }
        size_t end = pos;
        while (end < raw.size() && isBlank(raw[end])) ++end;
        if (end > pos) {
            if (!(afterWord && encodedWordAt(raw, end))) decoder.literal(raw.substr(pos, end - pos));
            pos = end;
            continue;
        }
        end = raw.find_first_of(" \t\r\n=", pos + 1);
        end = end == std::string_view::npos ? raw.size() : end;
        decoder.literal(raw.substr(pos, end - pos));
        afterWord = false;
        pos = end;
    }
    return tidy(decoder.finish());
}

}  // namespace skimmer::mail
