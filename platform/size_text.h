// The short size text of the About box and the result lines: bytes, K, M or G.
// Pure: no allocation beyond the returned string, no locale.
#pragma once

#include <cstdint>
#include <string>

namespace skimmer::platform {

// Below 1 KiB the number itself; then whole KiB or MiB rounded down with " K" / " M"; from 1 GiB
// on, GiB rounded to the nearest integer with ties to even, then " G".
std::string SizeText(uint32_t Bytes);

}  // namespace skimmer::platform
