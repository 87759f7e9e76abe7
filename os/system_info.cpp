#include "os/system_info.h"

#include <array>

namespace skimmer::os {

bool machineIs64Bit(std::string_view machine) {
    // Every 64-bit port's machine name carries "64" except these (s390x, alpha).
    static constexpr std::array<std::string_view, 2> kOthers = {"s390x", "alpha"};
    if (machine.find("64") != std::string_view::npos) return true;
    for (std::string_view other : kOthers)
        if (machine == other) return true;
    return false;
}

}  // namespace skimmer::os
