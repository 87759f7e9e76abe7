// FAR's fixed text buffers (PanelInfo.CurDir, the 1 KB command-line buffer...) filled from our
// strings.
//
// Contract: the text is cut to fit, bytewise, and the buffer is always terminated; `size` > 0.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace skimmer::host::services {

inline void copyInfoString(char* dest, size_t size, std::string_view text) {
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

}  // namespace skimmer::host::services
