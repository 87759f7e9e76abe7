#include "platform/size_text.h"

namespace skimmer::platform {

namespace {

constexpr uint32_t kKilo = 1024;
constexpr uint32_t kMega = 1024 * 1024;
constexpr uint32_t kGiga = 1024 * 1024 * 1024;

// Banker's rounding of Bytes / kGiga, in integers so that no floating-point tie is misjudged.
uint32_t gigabytesHalfEven(uint32_t bytes) {
    uint32_t whole = bytes / kGiga;
    uint32_t rest = bytes % kGiga;
    if (rest > kGiga / 2 || (rest == kGiga / 2 && whole % 2 == 1)) ++whole;
    return whole;
}

}  // namespace

std::string SizeText(uint32_t Bytes) {
    if (Bytes < kKilo) return std::to_string(Bytes);
    if (Bytes < kMega) return std::to_string(Bytes / kKilo) + " K";
    if (Bytes < kGiga) return std::to_string(Bytes / kMega) + " M";
    return std::to_string(gigabytesHalfEven(Bytes)) + " G";
}

}  // namespace skimmer::platform
