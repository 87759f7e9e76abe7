// Turning a result-chain node into its list row: the text (the name, or the full-information
// columns) and three per-character colour arrays (normal, cursor, highlighted), with the hit's
// FAR highlight-group colours and the typed text's marks.
//
// Contract: FormatLine fills a row completely, each colour array holding one attribute per
// character (code point) of the text, or one when the text is empty. Nothing here draws or talks
// to the list box. The only side effects are on the node: a hit's attributes and date are looked
// up once (through the probe) and kept in it. Settings are taken from TLineFormatSettings, which
// the caller reads from the settings table when it starts filing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/registry_config.h"
#include "dialogs/list_box_ex_item.h"
#include "results/highlight_groups.h"
#include "results/hit_date.h"
#include "results/result_chain.h"

namespace skimmer::search {

// The settings a line depends on.
struct TLineFormatSettings {
    int32_t Style = 2;             // "SKSStyle"
    bool FullInfo = false;         // "SKSFullInfo"
    bool FIDontUse = true;         // "SKSFIDontUse"
    std::string FIColumns = "N,S,P";   // "SKSFIColumns"
    std::string FIWidths = "26,6,30";  // "SKSFIWidths"
    int32_t WindowMode = 0;        // "SKSWindowMode"
    bool PositionW = false;        // "SKSPositionW"
    bool ShowExtentions = true;    // "SKSShowExtentions"
    bool ShowLnk = true;           // "SKSShowLnk"
    bool HighlightKeyword = false; // "SKSHighlightKeyword"
};

// Reads every setting above from the table; a setting that is missing keeps its default here.
TLineFormatSettings ReadLineFormatSettings(const config::TRegistryConfig& config);

// Everything else a line needs. Pointers are not owned and must outlive the formatting.
struct TLineFormatContext {
    TLineFormatSettings Settings;
    const std::vector<uint8_t>* Palette = nullptr;  // indexes past its end read as 0
    int32_t WindowWidth = 0;                         // W of the search window: the full-information layout
    int32_t NameCells = 0;                           // cells the list shows of a line: a longer name is cut to them
    std::string HighlightQuery;                      // the typed text to mark, where the index's fold finds it
    const results::THLGroups* HighlightGroups = nullptr;      // null: no groups
    results::TMaskMatcher MatchMask;                          // empty: no group matches
    results::THitDateSources Dates;                           // the probe, the mail seam and NoDateText
};

// Normal, cursor, keyword normal, keyword cursor.
using TLineColors = std::array<uint8_t, 4>;

// Style 0 fixed colours, style 1 FAR's panel colours (and highlight groups), style 2 the dialog
// list colours. A style outside 0..2 colours as style 2, the default.
TLineColors LineColors(results::TSearchResult& Node, const TLineFormatContext& context);

// The columns and widths a full-information line uses, from the settings and the window width.
struct TFullInfoLayout {
    std::string Columns;
    std::string Widths;
};
TFullInfoLayout FullInfoLayout(const TLineFormatSettings& settings, int32_t WindowWidth);

// One cell per column (N name, S size, P path, D date, T time; any other letter an empty cell),
// each padded to its width and followed by two blanks. A width that is not a number counts as 0;
// one above 1024 counts as 1024.
std::string FullInfoLine(std::string_view DisplayName, results::TSearchResult& Node, std::string_view Widths,
                         std::string_view Columns, const results::THitDateSources& dates);

// The size column: "Folder" for a folder, the short size text otherwise, and an empty cell for a
// size of -1 (no file found), which the unsigned size text would show as 4 G.
std::string SizeCell(const results::TSearchResult& Node);

void FormatLine(results::TDynamicSearchResult& Node, dialogs::TListBoxExItem& Slot, const TLineFormatContext& context);

}  // namespace skimmer::search
