// The header of one mail message file (RFC 5322): the fields a desktop index and a mail store
// need, read from the first bytes of the file only.
//
// Contract:
// - `readMessageHead` reads at most kMaxHeadBytes of a regular file, in steps, and stops at the
//   step in which the header ends (a 100 MB body is never read), opened without following a final symbolic link and without blocking: a FIFO or device
//   in a mail folder is refused, never waited on. Failures come back as text.
// - `parseMailHeaders` never fails: a text that does not start with a header (no "Name:" on its
//   first line) has no fields; the header ends at the first empty line or at the end of the bytes
//   given. Folded lines are unfolded; each field keeps at most kMaxFieldBytes, so an endless folded
//   line costs bounded memory. The first occurrence of a field wins. NUL and other control bytes
//   are kept here and turned into blanks by the decoding (encoded_words.h).
// - `parseMailDate` understands RFC 5322 dates and their obsolete forms (two-digit years, zone
//   names, no seconds, no weekday); anything else gives none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::mail {

inline constexpr size_t kMaxHeadBytes = 65536;
inline constexpr size_t kMaxFieldBytes = 8192;
static_assert(kMaxFieldBytes < kMaxHeadBytes && kMaxHeadBytes <= (1u << 20));

// The raw (undecoded, unfolded) values of the fields we keep.
struct MailHeaders {
    std::string subject, from, to, date, messageId;
};

MailHeaders parseMailHeaders(std::string_view head);

// Unix seconds of an RFC 5322 date-time.
std::optional<int64_t> parseMailDate(std::string_view text);

// The Message-ID without its angle brackets and blanks; empty when there is none.
std::string bareMessageId(std::string_view raw);

struct MessageHead {
    std::string bytes;      // the first bytes of the file, the whole header among them; at most kMaxHeadBytes
    int64_t size = 0;       // the whole file's size
    int64_t mtime = 0;      // Unix seconds
    int64_t ctime = 0;      // Unix seconds: birth time where the file system keeps one, else change time
    std::string error;      // set when the file could not be read
    bool ok() const { return error.empty(); }
};

MessageHead readMessageHead(const std::string& path);

}  // namespace skimmer::mail
