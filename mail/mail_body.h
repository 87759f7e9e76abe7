// The text of a mail message, as a copy of a mail hit writes it: what follows the header, decoded.
//
// Contract:
// - `mailBodyText` never fails. A single-part text message (no Content-Type counts as text/plain)
//   has its Content-Transfer-Encoding undone (quoted-printable, base64; 7bit, 8bit and binary
//   stay) and its charset converted to UTF-8 (no charset: taken as UTF-8; invalid sequences become
//   U+FFFD). A multipart/* message gives its first text/plain part, decoded the same way, looked
//   for in the parts and in the parts of a multipart part one level down (multipart/alternative
//   inside multipart/mixed); deeper nesting is not searched. Anything else — a non-text single
//   part, a multipart without a text/plain part, an unknown charset — gives the body undecoded.
//   A text without a header (no "Name:" on its first line) is all body, taken as UTF-8 text.
// - `readMailBody` reads at most kMaxMailBodyRead bytes of the message (a larger message's text is
//   cut there; the cut is said in `truncated`), through the os::FileSystem seam, opened without
//   following a final symbolic link and without blocking: only a regular file is read. A failure
//   comes back as a one-line reason naming the path.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "os/file_system.h"

namespace skimmer::mail {

inline constexpr size_t kMaxMailBodyRead = size_t{16} << 20;
static_assert(kMaxMailBodyRead >= (size_t{1} << 20), "an ordinary message with attachments must fit");

std::string mailBodyText(std::string_view message);

struct MailBodyRead {
    std::string text;       // mailBodyText of what was read
    bool truncated = false; // the message is longer than kMaxMailBodyRead
    std::string error;      // set when the file could not be read
};

MailBodyRead readMailBody(os::FileSystem& fs, const std::string& path);

}  // namespace skimmer::mail
