#include "host/app/view_mode.h"

#include "os/utf8.h"

#include <algorithm>
#include <charconv>

namespace skimmer::host::app {
namespace {

// Cells a column of a fixed-format kind takes when its mode gives it width 0; 0 for the kinds
// that share the free space.
int naturalWidth(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Size:
        case ColumnKind::PackedSize: return 10;   // every byte count up to 9,999,999,999
        case ColumnKind::Date: return 10;         // 2026-12-09
        case ColumnKind::Time: return 5;          // 23:59
        case ColumnKind::Modified:
        case ColumnKind::Created:
        case ColumnKind::Accessed: return 16;     // 2026-12-09 23:59
        case ColumnKind::Links: return 3;
        default: return 0;
    }
}

const char* standardTitle(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Name: return "Name";
        case ColumnKind::Size: return "Size";
        case ColumnKind::PackedSize: return "Packed";
        case ColumnKind::Date: return "Date";
        case ColumnKind::Time: return "Time";
        case ColumnKind::Modified: return "Modified";
        case ColumnKind::Created: return "Created";
        case ColumnKind::Accessed: return "Accessed";
        case ColumnKind::Description: return "Description";
        case ColumnKind::Owner: return "Owner";
        case ColumnKind::Links: return "Lnk";
        case ColumnKind::Custom: return "";
    }
    return "";
}

// One column type of a mode text: its kind and modifiers, or none for a type this host lacks.
std::optional<ColumnSpec> parseType(std::string_view t) {
    ColumnSpec c;
    c.typeText = std::string(t);
    if (t.empty()) return std::nullopt;
    const std::string_view rest = t.substr(1);
    switch (t[0]) {
        case 'N': c.kind = ColumnKind::Name; break;  // modifiers (M, O, R, F, N) change nothing here
        case 'S':
        case 'P':
            c.kind = t[0] == 'S' ? ColumnKind::Size : ColumnKind::PackedSize;
            c.commas = rest.find('C') != std::string_view::npos;
            break;
        case 'D':
            if (rest.empty() || rest[0] == 'B') c.kind = ColumnKind::Date;
            else if (rest[0] == 'M') c.kind = ColumnKind::Modified;
            else if (rest[0] == 'C') c.kind = ColumnKind::Created;
            else if (rest[0] == 'A') c.kind = ColumnKind::Accessed;
            else return std::nullopt;
            break;
        case 'T': c.kind = ColumnKind::Time; break;
        case 'Z': c.kind = ColumnKind::Description; break;
        case 'O': c.kind = ColumnKind::Owner; break;
        case 'L':
            if (rest != "N") return std::nullopt;
            c.kind = ColumnKind::Links;
            break;
        case 'C':
            if (rest.size() != 1 || rest[0] < '0' || rest[0] > '9') return std::nullopt;
            c.kind = ColumnKind::Custom;
            c.customIndex = rest[0] - '0';
            break;
        default: return std::nullopt;
    }
    return c;
}

std::vector<std::string_view> splitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t cut = std::min(text.find(',', start), text.size());
        parts.push_back(text.substr(start, cut - start));
        start = cut + 1;
    }
    return parts;
}

int parseWidth(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > kMaxColumnWidth) return 0;
    return value;
}

std::string joined(const std::vector<ColumnSpec>& columns, std::string (*part)(const ColumnSpec&)) {
    std::string out;
    for (const ColumnSpec& c : columns) out += (out.empty() ? "" : ",") + part(c);
    return out;
}

struct StandardMode {
    const char* types;
    const char* widths;
    bool fullScreen;
};

// FAR's ten standard modes, indexed by the digit of their Ctrl key. Attribute columns are not
// shown by this host and are left out of "Detailed".
constexpr StandardMode kStandardModes[] = {
    {"N,SC,D", "0,0,0", false},            // 0 alternative full
    {"N,N,N", "0,0,0", false},             // 1 brief
    {"N,N", "0,0", false},                 // 2 medium
    {"N,S,D,T", "0,0,0,0", false},         // 3 full
    {"N,S", "0,0", false},                 // 4 wide
    {"N,S,P,DM,DC,DA", "0,0,0,0,0,0", true},  // 5 detailed
    {"N,Z", "0,0", false},                 // 6 descriptions
    {"N,S,Z", "0,0,0", true},              // 7 long descriptions
    {"N,S,O", "0,0,15", false},            // 8 file owners
    {"N,S,LN", "0,0,3", false},            // 9 file links
};
static_assert(std::size(kStandardModes) == kViewModeCount);

}  // namespace

ViewMode standardViewMode(int index) {
    if (index < 0 || index >= kViewModeCount) index = kStartViewMode;
    const StandardMode& m = kStandardModes[index];
    return ViewMode{.columns = parseColumns(m.types, m.widths), .status = {}, .fullScreen = m.fullScreen};
}

std::vector<ColumnSpec> parseColumns(std::string_view types, std::string_view widths, const char* const* titles) {
    const std::vector<std::string_view> typeParts = splitCommas(types);
    const std::vector<std::string_view> widthParts = splitCommas(widths);
    std::vector<ColumnSpec> columns;
    for (size_t i = 0; i < typeParts.size(); ++i) {
        std::optional<ColumnSpec> c = parseType(os::trim(typeParts[i], os::kSpaces));
        if (!c) continue;
        const int given = i < widthParts.size() ? parseWidth(os::trim(widthParts[i], os::kSpaces)) : 0;
        c->width = given > 0 ? given : naturalWidth(c->kind);
        c->title = titles != nullptr && titles[i] != nullptr ? titles[i] : standardTitle(c->kind);
        columns.push_back(std::move(*c));
    }
    return columns;
}

std::string columnTypesText(const std::vector<ColumnSpec>& columns) {
    return joined(columns, [](const ColumnSpec& c) { return c.typeText; });
}

std::string columnWidthsText(const std::vector<ColumnSpec>& columns) {
    return joined(columns, [](const ColumnSpec& c) { return std::to_string(c.width); });
}

int stripeLength(const std::vector<ColumnSpec>& columns) {
    const int n = static_cast<int>(columns.size());
    for (int len = 1; len < n; ++len) {
        if (n % len != 0) continue;
        bool repeats = true;
        for (int i = len; i < n && repeats; ++i)
            repeats = columns[static_cast<size_t>(i)].typeText == columns[static_cast<size_t>(i % len)].typeText &&
                      columns[static_cast<size_t>(i)].width == columns[static_cast<size_t>(i % len)].width;
        if (repeats) return len;
    }
    return n;
}

std::vector<int> layoutColumns(const std::vector<ColumnSpec>& columns, int inner) {
    std::vector<int> widths(columns.size(), 0);
    if (columns.empty() || inner <= 0) return widths;
    size_t shown = columns.size();
    // Leaves columns out from the right until the fixed ones leave the shared ones enough room.
    for (;; --shown) {
        int fixed = static_cast<int>(shown) - 1, shared = 0;
        for (size_t i = 0; i < shown; ++i) {
            fixed += columns[i].width;
            shared += columns[i].width == 0 ? 1 : 0;
        }
        const int room = inner - fixed;
        const bool fits = shared > 0 ? room >= std::max(kMinSharedCells, shared) : room >= 0;
        if (fits || shown == 1) break;
    }
    int used = static_cast<int>(shown) - 1, shared = 0;
    for (size_t i = 0; i < shown; ++i) {
        widths[i] = columns[i].width;
        used += widths[i];
        shared += widths[i] == 0 ? 1 : 0;
    }
    int room = inner - used;
    if (shared == 0) {
        // Fixed columns only: the last one takes what is left, or gives up what is missing.
        widths[shown - 1] = std::max(0, widths[shown - 1] + room);
        return widths;
    }
    for (size_t i = 0; i < shown; ++i) {
        if (columns[i].width != 0) continue;
        const int share = std::max(0, room) / shared + (std::max(0, room) % shared > 0 ? 1 : 0);
        widths[i] = share;
        room -= share;
        --shared;
    }
    return widths;
}

}  // namespace skimmer::host::app
