// Values of property restrictions: sizes, dates and kind words, each turned into the bounds or the
// kind set of a Term. Every function is pure (dates take `now` and use the local time zone) and
// answers "none" for a value it does not understand; it never throws.
//
// Sizes: N, =N, >N, >=N, <N, <=N, N..M (inclusive), N with a unit B, K/KB, M/MB, G/GB, T/TB
// (powers of 1024, case-insensitive, decimals allowed: 1.5MB), or a named range: empty (0),
// tiny (1 B-16 KB), small (16 KB-1 MB), medium (1-128 MB), large (128 MB-1 GB),
// huge (1-4 GB), gigantic (over 4 GB).
// Dates: YYYY-MM-DD (that whole day), with =, >, >=, <, <= or D1..D2 (both days included), or one
// of today, yesterday, this week, last week, this month, last month, this year, last year
// (the two-word ones also without the blank).
// Kind words: see kindFilterFor.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace skimmer::index::query {

struct Bounds {
    int64_t lo;
    int64_t hi;  // sizes: inclusive; dates: exclusive
};

std::optional<Bounds> parseSizeValue(std::string_view value);
std::optional<Bounds> parseDateValue(std::string_view value, int64_t now);

struct KindFilter {
    uint32_t mask = 0;       // bit k: kind code k
    bool filesOnly = false;  // only items of the file system
};

// "program(s)" Program; "favorite(s)" Favorite and WebHistory; "email(s)", "mail" Email;
// "file(s)" every file-system item that is neither Program nor Email; any canonical kind name,
// also with a plural 's' ("pictures", "documents", "folders"). ASCII case is ignored.
std::optional<KindFilter> kindFilterFor(std::string_view word);

}  // namespace skimmer::index::query
