// The hive file's text format: reading it strictly, writing it canonically.
//
// Format (UTF-8 text, lines ended by "\n"; a "\r" before the "\n" is tolerated on reading):
//
//     Skimmer Registry Hive 1
//
//     [HKEY_CURRENT_USER\Software\Far\Plugins\Skimmer]
//     "SKSWidth"=dword:0000004c
//     "SKSEditor"="vim \"%s\""
//     @="the key's default value"
//     "Created"=hex:00,5e,a1,0b,c3,2f,d7,01
//
//     ; End of Skimmer Registry Hive
//
// - Line 1 names the format and its version. A higher version is "newer": it is not parsed and
//   never touched. Line 1 otherwise wrong means the file is not a hive.
// - A section line "[HKEY_CURRENT_USER" + ("\" + component)* + "]" opens a key (the bare root
//   holds only values). Components are percent-escaped: "%", "[", "]", "\" (which the API never lets
//   into a key name, escaped all the same), bytes below 0x20, 0x7F and
//   bytes that are not part of valid UTF-8 are written "%HH". Parents that have no line of their
//   own are implied. Every key is written, also an empty one, parents before children, in
//   case-insensitive sorted order; values in the same order under their key.
// - A value line is `"name"=` (or `@=` for the empty name) followed by `"text"` (REG_SZ),
//   `dword:` and exactly 8 hex digits (REG_DWORD), or `hex:` and comma-separated byte pairs
//   (REG_BINARY, possibly none). Inside quotes: \\ \" \n \r \t and \xHH; every other byte below
//   0x20, 0x7F and every byte not part of valid UTF-8 is written \xHH, so any byte string
//   (names and data, including NUL) round-trips exactly.
// - Blank lines and lines starting with ";" are ignored. The last line must be exactly
//   "; End of Skimmer Registry Hive" followed by "\n": a file cut short anywhere is detected.
//
// What "cannot be parsed" means: any line that does not match the grammar above (unknown value
// types, trailing text, leading blanks, unterminated quotes, bad escapes), raw invalid UTF-8 or
// control bytes (NUL included), a key section given twice or a value given twice in one key
// (the writer never produces either, so they signal damage or a mixed file, and guessing which
// copy is right could resurrect stale data), a value line before any section, a DWORD not of 8
// hex digits, names, values or depth beyond the limits of hive_tree.h, a missing or damaged end
// line, or a file larger than kMaxHiveFileBytes. Such a file is rejected as a whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "os/hive_tree.h"

namespace skimmer::os {

inline constexpr std::string_view kHiveMagic = "Skimmer Registry Hive ";
inline constexpr int kHiveVersion = 1;
inline constexpr std::string_view kHiveEndLine = "; End of Skimmer Registry Hive";
inline constexpr size_t kMaxHiveFileBytes = size_t{64} << 20;

struct HiveParse {
    enum class Outcome { Ok, Damaged, NewerVersion };
    Outcome outcome = Outcome::Ok;
    HiveKey root;
    size_t line = 0;     // Damaged: the first offending line (1-based)
    std::string reason;  // Damaged: what is wrong there; NewerVersion: the header line
};

HiveParse parseHive(std::string_view text);
// `expectedBytes` (the size of the file last read, say) only reserves room: one growth, not many.
std::string serializeHive(const HiveKey& root, size_t expectedBytes = 0);

}  // namespace skimmer::os
