#include "index/query/query_values.h"
#include "os/utf8.h"

#include "index/storage/kinds.h"

#include <cctype>
#include <cmath>
#include <ctime>
#include <limits>
#include <string>

namespace skimmer::index::query {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024, kTB = kGB * 1024;

enum class Compare { Eq, Gt, Ge, Lt, Le };

Compare takeComparison(std::string_view& value) {
    if (value.starts_with(">=")) { value.remove_prefix(2); return Compare::Ge; }
    if (value.starts_with("<=")) { value.remove_prefix(2); return Compare::Le; }
    if (value.starts_with(">")) { value.remove_prefix(1); return Compare::Gt; }
    if (value.starts_with("<")) { value.remove_prefix(1); return Compare::Lt; }
    if (value.starts_with("=")) value.remove_prefix(1);
    return Compare::Eq;
}

// Applies a comparison to the range [lo, hi) that one value stands for (hi exclusive).
Bounds compared(Compare compare, int64_t lo, int64_t hi) {
    switch (compare) {
        case Compare::Gt: return {hi, kMax};
        case Compare::Ge: return {lo, kMax};
        case Compare::Lt: return {kMin, lo};
        case Compare::Le: return {kMin, hi};
        default: return {lo, hi};
    }
}

std::optional<int64_t> parseSizeNumber(std::string_view text) {
    size_t digits = 0;
    while (digits < text.size() && (std::isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.'))
        ++digits;
    if (digits == 0 || digits > 24) return std::nullopt;
    const std::string number(text.substr(0, digits));
    char* end = nullptr;
    const double amount = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size()) return std::nullopt;
    const std::string unit = os::asciiLower(text.substr(digits));
    double scale = 0;
    if (unit.empty() || unit == "b") scale = 1;
    else if (unit == "k" || unit == "kb") scale = kKB;
    else if (unit == "m" || unit == "mb") scale = kMB;
    else if (unit == "g" || unit == "gb") scale = kGB;
    else if (unit == "t" || unit == "tb") scale = kTB;
    else return std::nullopt;
    const double bytes = std::floor(amount * scale);
    if (!(bytes >= 0 && bytes < 9.0e18)) return std::nullopt;
    return static_cast<int64_t>(bytes);
}

std::optional<Bounds> namedSize(std::string_view word) {
    const std::string w = os::asciiLower(word);
    if (w == "empty") return Bounds{0, 0};
    if (w == "tiny") return Bounds{1, 16 * kKB};
    if (w == "small") return Bounds{16 * kKB + 1, kMB};
    if (w == "medium") return Bounds{kMB + 1, 128 * kMB};
    if (w == "large") return Bounds{128 * kMB + 1, kGB};
    if (w == "huge") return Bounds{kGB + 1, 4 * kGB};
    if (w == "gigantic") return Bounds{4 * kGB + 1, kMax};
    return std::nullopt;
}

// Local midnight of the given calendar day (normalised by mktime).
int64_t localMidnight(int year, int month, int day) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

struct Day { int year, month, day; };

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days in a month of the proleptic Gregorian calendar.
int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

std::optional<Day> parseDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    auto number = [&](size_t at, size_t n) { return std::stoi(std::string(text.substr(at, n))); };
    Day day{number(0, 4), number(5, 2), number(8, 2)};
    // A day that does not exist is refused rather than rolled over (2024-02-30 is not 2024-03-01).
    if (day.month < 1 || day.month > 12 || day.day < 1 || day.day > daysInMonth(day.year, day.month))
        return std::nullopt;
    return day;
}

std::optional<Bounds> dayRange(std::string_view text) {
    const auto day = parseDay(text);
    if (!day) return std::nullopt;
    return Bounds{localMidnight(day->year, day->month, day->day), localMidnight(day->year, day->month, day->day + 1)};
}

std::optional<Bounds> relativeRange(std::string word, int64_t now) {
    std::erase(word, ' ');
    const time_t t = static_cast<time_t>(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const int y = tm.tm_year + 1900, m = tm.tm_mon + 1, d = tm.tm_mday;
    const int sinceMonday = (tm.tm_wday + 6) % 7;
    if (word == "today") return Bounds{localMidnight(y, m, d), localMidnight(y, m, d + 1)};
    if (word == "yesterday") return Bounds{localMidnight(y, m, d - 1), localMidnight(y, m, d)};
    if (word == "thisweek") return Bounds{localMidnight(y, m, d - sinceMonday), localMidnight(y, m, d - sinceMonday + 7)};
    if (word == "lastweek") return Bounds{localMidnight(y, m, d - sinceMonday - 7), localMidnight(y, m, d - sinceMonday)};
    if (word == "thismonth") return Bounds{localMidnight(y, m, 1), localMidnight(y, m + 1, 1)};
    if (word == "lastmonth") return Bounds{localMidnight(y, m - 1, 1), localMidnight(y, m, 1)};
    if (word == "thisyear") return Bounds{localMidnight(y, 1, 1), localMidnight(y + 1, 1, 1)};
    if (word == "lastyear") return Bounds{localMidnight(y - 1, 1, 1), localMidnight(y, 1, 1)};
    return std::nullopt;
}

std::optional<Bounds> oneDateValue(std::string_view value, int64_t now) {
    if (auto range = dayRange(value)) return range;
    return relativeRange(os::asciiLower(value), now);
}

}  // namespace

std::optional<Bounds> parseSizeValue(std::string_view value) {
    if (auto named = namedSize(value)) return named;
    const size_t dots = value.find("..");
    if (dots != std::string_view::npos) {
        const auto lo = parseSizeNumber(value.substr(0, dots));
        const auto hi = parseSizeNumber(value.substr(dots + 2));
        if (!lo || !hi || *lo > *hi) return std::nullopt;
        return Bounds{*lo, *hi};
    }
    const Compare compare = takeComparison(value);
    const auto size = parseSizeNumber(value);
    if (!size) return std::nullopt;
    const Bounds range = compared(compare, *size, *size + 1);
    return Bounds{range.lo, range.hi == kMax ? kMax : range.hi - 1};  // sizes are inclusive
}

std::optional<Bounds> parseDateValue(std::string_view value, int64_t now) {
    const size_t dots = value.find("..");
    if (dots != std::string_view::npos) {
        const auto from = oneDateValue(value.substr(0, dots), now);
        const auto to = oneDateValue(value.substr(dots + 2), now);
        if (!from || !to || from->lo > to->hi) return std::nullopt;
        return Bounds{from->lo, to->hi};
    }
    const Compare compare = takeComparison(value);
    const auto range = oneDateValue(value, now);
    if (!range) return std::nullopt;
    return compared(compare, range->lo, range->hi);
}

std::optional<KindFilter> kindFilterFor(std::string_view word) {
    const std::string w = os::asciiLower(word);
    auto bit = [](store::Kind kind) { return uint32_t{1} << static_cast<int>(kind); };
    if (w == "program" || w == "programs") return KindFilter{bit(store::Kind::Program), false};
    if (w == "favorite" || w == "favorites") return KindFilter{bit(store::Kind::Favorite) | bit(store::Kind::WebHistory), false};
    if (w == "email" || w == "emails" || w == "mail") return KindFilter{bit(store::Kind::Email), false};
    if (w == "file" || w == "files") {
        const uint32_t all = store::kKindCount >= 32 ? ~uint32_t{0} : (uint32_t{1} << store::kKindCount) - 1;
        return KindFilter{all & ~bit(store::Kind::Program) & ~bit(store::Kind::Email), true};
    }
    if (auto kind = store::kindFromCanonicalName(w)) return KindFilter{bit(*kind), false};
    if (w.size() > 1 && w.back() == 's')
        if (auto kind = store::kindFromCanonicalName(std::string_view(w).substr(0, w.size() - 1)))
            return KindFilter{bit(*kind), false};
    return std::nullopt;
}

}  // namespace skimmer::index::query
