// Fuzz target for the hive file parser: any input must be parsed or rejected without crashing,
// and whatever parses must survive a write-and-read-back unchanged (the writer's output is the
// canonical form: writing it again gives the same bytes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "os/hive_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skimmer::os;
    const HiveParse parsed = parseHive(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed.outcome != HiveParse::Outcome::Ok) return 0;
    const std::string written = serializeHive(parsed.root);
    const HiveParse again = parseHive(written);
    if (again.outcome != HiveParse::Outcome::Ok || !(again.root == parsed.root)) std::abort();
    if (serializeHive(again.root) != written) std::abort();
    return 0;
}
