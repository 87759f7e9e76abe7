// Fuzz target for the mail body extractor: whatever the bytes, it returns, its text is at most
// three bytes per input byte (the widest conversion: one byte to a three-byte character), and a
// text that does not start with a header comes back as well-formed UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mail/mail_body.h"
#include "os/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = skimmer::mail::mailBodyText(bytes);
    if (text.size() > 3 * size + 3) std::abort();
    const size_t colon = bytes.find(':');
    if ((colon == std::string_view::npos || bytes.substr(0, colon).find_first_of(" \t\r\n") != std::string_view::npos ||
         colon == 0)) {
        for (size_t pos = 0; pos < text.size();) {
            char32_t cp;
            const size_t length = skimmer::os::decodeUtf8(text, pos, cp);
            if (length == 0) std::abort();
            pos += length;
        }
    }
    return 0;
}
