// Fuzz target for the mail header reader and the encoded-word decoder: whatever the bytes, the
// decoded texts are well-formed UTF-8 without control characters and within their caps, and the
// fields never outgrow kMaxFieldBytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mail/encoded_words.h"
#include "mail/mail_header.h"
#include "os/utf8.h"

namespace {

void checkClean(const std::string& text) {
    if (text.size() > skimmer::mail::kMaxDecodedBytes) std::abort();
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp;
        const size_t length = skimmer::os::decodeUtf8(text, pos, cp);
        if (length == 0 || cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) std::abort();
        pos += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const skimmer::mail::MailHeaders headers = skimmer::mail::parseMailHeaders(bytes);
    for (const std::string* field : {&headers.subject, &headers.from, &headers.to, &headers.date, &headers.messageId}) {
        if (field->size() > skimmer::mail::kMaxFieldBytes) std::abort();
        checkClean(skimmer::mail::decodeHeaderText(*field));
    }
    checkClean(skimmer::mail::decodeHeaderText(bytes));
    (void)skimmer::mail::parseMailDate(headers.date);
    return 0;
}
