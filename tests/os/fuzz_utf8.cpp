// Fuzz target for the text module: the decoder must agree, byte for byte, with a reference written
// from the table of well-formed byte sequences (ranges per position rather than bit arithmetic),
// re-encoding what it decodes must give back the same bytes, and a cut must land on a boundary.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "os/utf8.h"

namespace {

struct Range {
    unsigned char low, high;
};

// The length of the well-formed sequence at text[pos] by the ranges of each byte, 0 when none.
size_t referenceLength(std::string_view text, size_t pos) {
    static constexpr struct {
        Range lead;
        Range second;
        size_t length;
    } kForms[] = {
        {{0x00, 0x7F}, {0x00, 0x00}, 1}, {{0xC2, 0xDF}, {0x80, 0xBF}, 2}, {{0xE0, 0xE0}, {0xA0, 0xBF}, 3},
        {{0xE1, 0xEC}, {0x80, 0xBF}, 3}, {{0xED, 0xED}, {0x80, 0x9F}, 3}, {{0xEE, 0xEF}, {0x80, 0xBF}, 3},
        {{0xF0, 0xF0}, {0x90, 0xBF}, 4}, {{0xF1, 0xF3}, {0x80, 0xBF}, 4}, {{0xF4, 0xF4}, {0x80, 0x8F}, 4},
    };
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[pos + k]); };
    for (const auto& form : kForms) {
        if (at(0) < form.lead.low || at(0) > form.lead.high) continue;
        if (form.length == 1) return 1;
        if (text.size() - pos < form.length || at(1) < form.second.low || at(1) > form.second.high) return 0;
        for (size_t k = 2; k < form.length; ++k)
            if (at(k) < 0x80 || at(k) > 0xBF) return 0;
        return form.length;
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skimmer::os;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string again;
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        const size_t length = decodeUtf8(text, pos, cp);
        if (length != referenceLength(text, pos)) std::abort();
        if (length == 0) {
            if (cp != kReplacementChar) std::abort();
            again.push_back(text[pos++]);
            continue;
        }
        const size_t before = again.size();
        appendUtf8(again, cp);
        if (again.compare(before, std::string::npos, text.substr(pos, length)) != 0) std::abort();
        pos += length;
    }
    if (again != text) std::abort();
    const size_t cut = utf8CutPoint(text, size / 2);
    // An empty prefix is always a boundary; any other cut stops before a continuation byte.
    if (cut > size / 2 || (cut > 0 && cut < text.size() && isUtf8Continuation(static_cast<unsigned char>(text[cut]))))
        std::abort();
    return 0;
}
