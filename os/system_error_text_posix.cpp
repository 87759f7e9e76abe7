#include "os/system_error_text.h"

#include <cstring>

namespace skimmer::os {

std::string systemErrorText(unsigned long code) {
    const char* text = std::strerror(static_cast<int>(code));
    return text && *text ? std::string(text) : "error " + std::to_string(code);
}

}  // namespace skimmer::os
