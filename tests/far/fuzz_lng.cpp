// Fuzz target for the .lng reader: any bytes parse, and what comes out obeys the reader's rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "far/lng_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    skimmer::farapi::LngFile file = skimmer::farapi::parseLng(bytes);
    std::size_t quotes = 0;
    std::size_t decoded = 0;
    for (char c : bytes) quotes += c == '"';
    for (const auto& message : file.messages) decoded += message.size();
    // Every message came from a line holding at least one quote, and decoding never grows text.
    if (file.messages.size() > quotes || decoded > size) std::abort();
    if (!file.hasHeader && (!file.language.empty() || file.warnings.empty())) std::abort();
    return 0;
}
