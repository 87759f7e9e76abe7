#include "platform/macro_string.h"

namespace skimmer::platform {

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
bool isHexDigit(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

void appendHexEscape(std::string& out, unsigned char c) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 0xF]);
}

}  // namespace

std::string macroStringLiteral(std::string_view bytes) {
    std::string out = "\"";
    bool afterHexEscape = false;
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        // A parser that reads \x like C takes every hex digit that follows: a digit right after a
        // \xHH escape is escaped too, so that no parser can read it as part of the number.
        const bool hex = isControl(c) || (afterHexEscape && isHexDigit(c));
        if (hex) {
            appendHexEscape(out, c);
        } else {
            if (c == '"' || c == '\\') out.push_back('\\');
            out.push_back(ch);
        }
        afterHexEscape = hex;
    }
    out.push_back('"');
    return out;
}

}  // namespace skimmer::platform
