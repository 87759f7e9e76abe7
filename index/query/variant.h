// The cells of a record set's row table: an OLE-variant-like value that is empty, text, a 64-bit
// integer or an OLE automation date (days since 30 December 1899, local time, fraction = time).
//
// Contract: text is the item's exact bytes (UTF-8 for valid names; other bytes kept as they are);
// `wide()` decodes it, turning each byte that is not UTF-8 into U+DC00 + byte (U+DC80..U+DCFF) so nothing is lost.
#pragma once

#include <cstdint>
#include <string>

namespace skimmer::index::query {

enum class VarType { Empty, Text, Integer, Date };

struct Variant {
    VarType type = VarType::Empty;
    std::string text;
    int64_t integer = 0;
    double date = 0;

    static Variant ofText(std::string value) { return Variant{VarType::Text, std::move(value), 0, 0}; }
    static Variant ofInteger(int64_t value) { return Variant{VarType::Integer, {}, value, 0}; }
    static Variant ofDate(double value) { return Variant{VarType::Date, {}, 0, value}; }

    std::wstring wide() const;
};

// Unix seconds → OLE automation date in the local time zone.
double oleDateFromUnix(int64_t seconds);

}  // namespace skimmer::index::query
