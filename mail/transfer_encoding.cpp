#include "mail/transfer_encoding.h"

#include <cstdint>

namespace skimmer::mail {

namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string decodeBase64(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        const int value = base64Value(c);
        if (value < 0) continue;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16);
            out += static_cast<char>(bits >> 8);
            out += static_cast<char>(bits);
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) out += static_cast<char>(bits >> 4);
    if (count == 3) {
        out += static_cast<char>(bits >> 10);
        out += static_cast<char>(bits >> 2);
    }
    return out;
}

std::optional<std::string> decodeBase64Exact(std::string_view text) {
    const size_t data = text.find_last_not_of('=') + 1;  // 0 when the text is all "=" (or empty)
    const size_t padding = text.size() - data;
    if (padding > 2 || data % 4 == 1) return std::nullopt;  // one character left over holds no byte
    if (padding > 0 && (data + padding) % 4 != 0) return std::nullopt;
    for (char c : text.substr(0, data))
        if (base64Value(c) < 0) return std::nullopt;
    return decodeBase64(text);
}

std::string decodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
            continue;
        }
        if (i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 && hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
        if (j < text.size() && text[j] == '\r') ++j;
        if (j < text.size() && text[j] == '\n') i = j;  // a soft line break
        else if (j >= text.size()) i = j;               // a soft break at the very end
        else out += '=';
    }
    return out;
}

}  // namespace skimmer::mail
