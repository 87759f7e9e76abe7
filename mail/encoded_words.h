// Mail header text to UTF-8: MIME encoded words (RFC 2047, "=?charset?B|Q?text?=") in any
// charset iconv knows, and raw header bytes in whatever the sender used.
//
// Contract:
// - The result is always well-formed UTF-8 without control characters (NUL, tabs, line breaks
//   and the C1 controls become one blank each), never longer than kMaxDecodedBytes.
// - Adjacent encoded words are joined without the blanks between them, and their bytes are
//   converted together when they share a charset and an encoding, so a character split across two
//   words comes out whole.
// - An encoded word whose charset is unknown, or that is malformed (base64 that is not exactly
//   base64 among them), stays as it was written;
//   bytes that are invalid in a known charset become U+FFFD. Raw bytes that are not UTF-8 are
//   taken as Latin-1 (the most common 8-bit header charset). Nothing here throws or fails.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::mail {

inline constexpr size_t kMaxDecodedBytes = 4096;
static_assert(kMaxDecodedBytes >= 998, "a header line's length limit must fit");

// The decoded text of an unstructured header value (Subject) or of an address header (From, To),
// blanks collapsed and trimmed.
std::string decodeHeaderText(std::string_view raw);

// The most bytes convertToUtf8 converts unless told otherwise: a header's run of encoded words
// never needs more; the rest of a longer input is dropped.
inline constexpr size_t kMaxConvertedBytes = 16384;
static_assert(kMaxConvertedBytes >= kMaxDecodedBytes);

// The first `maxInputBytes` of `bytes` in `charset` (an iconv or MIME name, "*language" suffix
// allowed) as UTF-8; none when the charset is unknown. Invalid input sequences become U+FFFD.
// UTF-16, UTF-32 and UCS-2 follow their byte-order mark (which is dropped), else are big-endian.
std::optional<std::string> convertToUtf8(std::string_view charset, std::string_view bytes,
                                         size_t maxInputBytes = kMaxConvertedBytes);

}  // namespace skimmer::mail
