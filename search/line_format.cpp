#include "search/line_format.h"

#include <algorithm>
#include <optional>

#include "config/catalogue.h"
#include "os/text_border.h"
#include "os/utf8.h"
#include "platform/size_text.h"
#include "results/text_trunc.h"
#include "search/path_compact.h"

namespace skimmer::search {
namespace {

// Palette indexes (FAR's COL_* order) the three styles use.
constexpr size_t kPanelText = 10, kPanelHighlightText = 11, kPanelCursor = 14, kPanelSelectedCursor = 15;
constexpr size_t kPanelInfo = 18, kDialogListText = 23, kDialogListSelected = 32;
constexpr size_t kDialogListHighlight = 33, kDialogListSelectedHighlight = 34, kDialogListDisabled = 78;

constexpr uint32_t kHeaderFlags = dialogs::kLbxSeparator;

uint8_t paletteAt(const TLineFormatContext& context, size_t index) {
    const auto* palette = context.Palette;
    return palette && index < palette->size() ? (*palette)[index] : 0;
}

std::vector<std::string_view> splitCommas(std::string_view list) {
    std::vector<std::string_view> parts;
    if (list.empty()) return parts;
    for (size_t start = 0;;) {
        const size_t comma = list.find(',', start);
        parts.push_back(list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return parts;
        start = comma + 1;
    }
}

// No screen is wider; a damaged "SKSFIWidths" of two thousand million must not cost gigabytes
// per line.
constexpr int32_t kMaxColumnWidth = 1024;
static_assert(kMaxColumnWidth >= 128);  // the widest window the content layout makes

int32_t widthOf(std::string_view entry) {
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    const auto value = config::parseDecimal(entry);
    if (!value || *value <= 0) return 0;
    return *value > kMaxColumnWidth ? kMaxColumnWidth : *value;
}

std::string padded(std::string cell, int32_t width, bool right) {
    const size_t chars = results::CharCount(cell);
    if (chars >= static_cast<size_t>(width)) return cell;
    const std::string blanks(static_cast<size_t>(width) - chars, ' ');
    return right ? blanks + cell : cell + blanks;
}

// The whole target, its leading "/" kept: without it an absolute path reads as a relative one.
std::string pathCell(const results::TSearchResult& node, int32_t width) {
    if (results::CharCount(node.Target) > static_cast<size_t>(width)) return CompactPathForColumn(node.Target, width);
    return node.Target;
}

// The name as a line shows it, and how many of the hit's name's first characters it shows as they
// are: what lies beyond (cut off, the dots standing for it, a hidden extension) is never marked.
struct ShownName {
    std::string text;
    size_t kept = 0;
};

// `name` cut to `cut` (a TruncRight or TruncRightCells of it): the characters it keeps of it.
size_t keptByCut(std::string_view name, std::string_view cut) {
    if (cut == name) return results::CharCount(cut);
    const size_t chars = results::CharCount(cut);
    return chars >= 4 ? chars - 4 : 0;  // the cut text ends in "....", or is nothing but dots
}

ShownName nameColumn(const ShownName& name, int32_t width) {
    ShownName cell{results::TruncRight(name.text, width), 0};
    cell.kept = std::min(name.kept, keptByCut(name.text, cell.text));
    if (!cell.text.empty() && cell.text.back() == '.') cell.text.pop_back();
    cell.kept = std::min(cell.kept, results::CharCount(cell.text));
    return cell;
}

std::string cellFor(char letter, const ShownName& name, results::TSearchResult& node, int32_t width,
                    const results::THitDateSources& dates) {
    switch (letter) {
        case 'N': return padded(nameColumn(name, width).text, width, false);
        case 'S': return padded(SizeCell(node), width, true);
        case 'P': return padded(pathCell(node, width), width, false);
        case 'D': return padded(results::HitDateText(node, dates), width, true);
        case 'T': return padded(results::HitTimeText(node, dates), width, true);
        default: return std::string(static_cast<size_t>(width), ' ');  // a letter no editor offers
    }
}

// Where the name stands in a line, in characters: the keyword marks stay inside it.
struct NameCell {
    size_t start = 0;
    size_t chars = 0;
};

std::string fullInfoLine(const ShownName& name, results::TSearchResult& node, std::string_view widthList,
                         std::string_view columnList, const results::THitDateSources& dates,
                         std::optional<NameCell>* cellOut) {
    const auto columns = splitCommas(columnList);
    const auto widths = splitCommas(widthList);
    std::string line;
    for (size_t i = 0; i < columns.size(); ++i) {
        const int32_t width = i < widths.size() ? widthOf(widths[i]) : 0;
        const char letter = columns[i].empty() ? '\0' : columns[i].front();
        if (letter == 'N' && cellOut && !*cellOut)
            *cellOut = NameCell{results::CharCount(line), nameColumn(name, width).kept};
        line += cellFor(letter, name, node, width, dates);
        line += "  ";
    }
    return line;
}

// The name cut to the cells the list shows (so that a long one ends in "...." inside the frame,
// never clipped by it), the extension hidden when asked.
ShownName displayNameOf(const results::TSearchResult& node, const TLineFormatContext& context) {
    const auto& s = context.Settings;
    ShownName name{results::TruncRightCells(node.Name, context.NameCells), 0};
    name.kept = keptByCut(node.Name, name.text);
    const size_t dot = name.text.rfind('.');
    // A leading dot names a hidden file (".bashrc"); it starts no extension, else the line would
    // show nothing at all.
    if (dot == std::string::npos || dot == 0) return name;
    const std::string ext = os::asciiLower(std::string_view(name.text).substr(dot));
    if (!s.ShowExtentions || (!s.ShowLnk && ext == ".lnk")) name.text.erase(dot);
    name.kept = std::min(name.kept, results::CharCount(name.text));
    return name;
}

void fillColors(dialogs::TListBoxExItem& slot, size_t chars, uint8_t normal, uint8_t cursor, uint8_t highlighted) {
    const size_t n = chars == 0 ? 1 : chars;
    slot.Attr[dialogs::kLbxNormal].assign(n, normal);
    slot.Attr[dialogs::kLbxCurrent].assign(n, cursor);
    slot.Attr[dialogs::kLbxHighlight].assign(n, highlighted);
}

void formatHeader(results::TDynamicSearchResult& node, dialogs::TListBoxExItem& slot,
                  const TLineFormatContext& context) {
    const TLineColors colors = LineColors(node.Result, context);
    slot = dialogs::TListBoxExItem{};
    slot.Flags = kHeaderFlags;
    slot.Text = os::ansiToOem(node.Result.Kind);
    // The list box draws a separator in the first attribute of each array; one per character
    // keeps every row's arrays as long as its text.
    fillColors(slot, results::CharCount(slot.Text), colors[0], colors[1], paletteAt(context, kPanelText));
}

void formatHit(results::TDynamicSearchResult& node, dialogs::TListBoxExItem& slot, const TLineFormatContext& context) {
    const auto& s = context.Settings;
    const ShownName displayName = displayNameOf(node.Result, context);
    std::string text = displayName.text;
    std::optional<NameCell> nameCell = NameCell{0, displayName.kept};
    if (s.FullInfo) {
        const TFullInfoLayout layout = FullInfoLayout(s, context.WindowWidth);
        nameCell.reset();
        text = fullInfoLine(displayName, node.Result, layout.Widths, layout.Columns, context.Dates, &nameCell);
    }
    slot = dialogs::TListBoxExItem{};
    slot.Text = os::ansiToOem(text);
    const TLineColors colors = LineColors(node.Result, context);
    const size_t chars = results::CharCount(slot.Text);
    fillColors(slot, chars, colors[0], colors[1], paletteAt(context, kPanelText));
    if (!s.HighlightKeyword) return;
    // The index's own match, on the whole name: the mark falls where the hit was found, and only
    // on the characters the line shows of it (never on a cut name's dots or the next column).
    const auto span = os::findFolded(node.Result.Name, context.HighlightQuery);
    if (!span || !nameCell) return;
    auto& normal = slot.Attr[dialogs::kLbxNormal];
    auto& cursor = slot.Attr[dialogs::kLbxCurrent];
    const size_t from = nameCell->start + span->first;
    const size_t to = std::min(from + span->count, nameCell->start + nameCell->chars);
    for (size_t i = from; i < to && i < normal.size(); ++i) {
        normal[i] = colors[2];
        cursor[i] = colors[3];
    }
}

}  // namespace

TLineFormatSettings ReadLineFormatSettings(const config::TRegistryConfig& config) {
    namespace setting = config::setting;
    TLineFormatSettings s;
    s.Style = setting::kStyle.read(config);
    s.FullInfo = setting::kFullInfo.read(config);
    s.FIDontUse = setting::kFIDontUse.read(config);
    s.FIColumns = setting::kFIColumns.read(config);
    s.FIWidths = setting::kFIWidths.read(config);
    s.WindowMode = setting::kWindowMode.read(config);
    s.PositionW = setting::kPositionW.read(config);
    s.ShowExtentions = setting::kShowExtentions.read(config);
    s.ShowLnk = setting::kShowLnk.read(config);
    s.HighlightKeyword = setting::kHighlightKeyword.read(config);
    return s;
}

TLineColors LineColors(results::TSearchResult& Node, const TLineFormatContext& context) {
    const auto p = [&](size_t i) { return paletteAt(context, i); };
    switch (context.Settings.Style) {
        case 0:
            if (Node.IsGroupHeader) return {0xF7, 0xF0, 0xF7, 0xF0};
            return {0xF0, 0x0F, 0xFC, 0x0C};
        case 1: {
            if (Node.IsGroupHeader) return {p(kPanelInfo), p(kPanelCursor), p(kPanelInfo), p(kPanelCursor)};
            results::THighlightColors colors{p(kPanelText), p(kPanelCursor)};
            if (Node.MailEntryId.empty() && context.HighlightGroups) {
                if (!Node.AttrKnown && context.Dates.Files) {
                    // Not found: attributes stay unknown and are asked again at the next format.
                    if (const auto entry = context.Dates.Files->Find(Node.PathW)) {
                        Node.Attributes = entry->Attributes;
                        Node.AttrKnown = true;
                    }
                }
                const uint32_t attributes = Node.AttrKnown ? Node.Attributes : 0;
                if (auto found = results::MatchHighlightGroups(*context.HighlightGroups, context.MatchMask, Node.Title,
                                                      attributes, colors))
                    colors = *found;
            }
            return {colors.Normal, colors.Cursor, p(kPanelHighlightText), p(kPanelSelectedCursor)};
        }
        default:
            if (Node.IsGroupHeader)
                return {p(kDialogListDisabled), p(kDialogListSelected), p(kDialogListDisabled), p(kDialogListSelected)};
            return {p(kDialogListText), p(kDialogListSelected), p(kDialogListHighlight), p(kDialogListSelectedHighlight)};
    }
}

TFullInfoLayout FullInfoLayout(const TLineFormatSettings& s, int32_t W) {
    if (!s.FIDontUse) return {s.FIColumns, s.FIWidths};
    if (s.WindowMode == 1 || s.WindowMode == 2) {
        const int32_t w = (W - (s.PositionW ? 13 : 21)) / 2;
        return {"N,S,P", std::to_string(w) + ",6," + std::to_string(w)};
    }
    if (!s.PositionW) return {"N,S,P", s.ShowExtentions ? "29,6,27" : "26,6,30"};
    return {"N,S,P", (s.ShowExtentions ? "30,6," : "27,6,") + std::to_string(W - 42)};
}

std::string FullInfoLine(std::string_view DisplayName, results::TSearchResult& Node, std::string_view Widths,
                         std::string_view Columns, const results::THitDateSources& dates) {
    const ShownName name{std::string(DisplayName), results::CharCount(DisplayName)};
    return fullInfoLine(name, Node, Widths, Columns, dates, nullptr);
}

std::string SizeCell(const results::TSearchResult& Node) {
    if (Node.Kind == "Folder") return "Folder";
    if (Node.Size == -1) return {};
    return platform::SizeText(static_cast<uint32_t>(Node.Size));
}

void FormatLine(results::TDynamicSearchResult& Node, dialogs::TListBoxExItem& Slot, const TLineFormatContext& context) {
    if (Node.Result.IsGroupHeader) formatHeader(Node, Slot, context);
    else formatHit(Node, Slot, context);
}

}  // namespace skimmer::search
