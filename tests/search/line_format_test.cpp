#include <gtest/gtest.h>

#include <map>

#include "host/services/standard_functions.h"
#include "config/catalogue.h"
#include "os/clock.h"
#include "results/text_trunc.h"
#include "search/line_format.h"
#include "tests/support/fold_cases.h"
#include "tests/support/system_text.h"

namespace skimmer::search {
namespace {

// palette[i] = i + 0x40, so every colour names the index it came from.
std::vector<uint8_t> indexPalette() {
    std::vector<uint8_t> p(112);
    for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i + 0x40);
    return p;
}
const std::vector<uint8_t> kPalette = indexPalette();
constexpr uint8_t pal(int i) { return static_cast<uint8_t>(i + 0x40); }

class FakeProbe : public results::THitFileProbe {
public:
    std::map<std::string, results::THitFileEntry> files;
    mutable int asked = 0;
    std::optional<results::THitFileEntry> Find(const std::string& path) const override {
        ++asked;
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
};

double oleOf(int64_t y, unsigned m, unsigned d, int h, int mi, int s) {
    return static_cast<double>(os::daysFromCivil(y, m, d) + 25569) + (h * 3600 + mi * 60 + s) / 86400.0;
}

struct Line {
    TLineFormatContext context;
    FakeProbe probe;
    results::THLGroups groups;

    Line() {
        context.Palette = &kPalette;
        context.WindowWidth = 40;
        context.NameCells = 37;
        context.Dates.Files = &probe;
        context.Dates.NoDateText = "-";
        context.HighlightGroups = &groups;
    }
    dialogs::TListBoxExItem format(const results::TSearchResult& hit) {
        results::TDynamicSearchResult node{hit, nullptr};
        dialogs::TListBoxExItem slot;
        FormatLine(node, slot, context);
        EXPECT_EQ(slot.Attr[0].size(), std::max<size_t>(1, results::CharCount(slot.Text)));
        EXPECT_EQ(slot.Attr[1].size(), slot.Attr[0].size());
        EXPECT_EQ(slot.Attr[2].size(), slot.Attr[0].size());
        return slot;
    }
};

results::TSearchResult hit(std::string name, int32_t size = 0) {
    results::TSearchResult r;
    r.Name = r.Title = std::move(name);
    r.Size = size;
    r.Path = r.PathW = "/home/ann/" + r.Name;
    r.Target = r.Path;
    r.Kind = "Files";
    return r;
}

struct NameCase {
    const char* name;
    int cells;  // the cells the list shows of a line
    bool showExt, showLnk;
    const char* text;
};

class ShortLayout : public ::testing::TestWithParam<NameCase> {};

TEST_P(ShortLayout, ShowsTheNameCutToTheListsCells) {
    const NameCase& c = GetParam();
    if (!test::pluginTextIsUtf8() && !test::isAscii(c.name)) GTEST_SKIP() << test::kNoMultiByteLetters;
    Line line;
    line.context.NameCells = c.cells;
    line.context.Settings.ShowExtentions = c.showExt;
    line.context.Settings.ShowLnk = c.showLnk;
    const auto slot = line.format(hit(c.name));
    EXPECT_EQ(slot.Text, c.text);
    EXPECT_EQ(slot.Flags, 0u);
}

const std::string k60(60, 'x');
INSTANTIATE_TEST_SUITE_P(
    Names, ShortLayout,
    ::testing::Values(NameCase{"Report.final.docx", 37, false, true, "Report.final"},
                      NameCase{"Report.final.docx", 37, true, true, "Report.final.docx"},
                      NameCase{"Editor.LNK", 37, true, false, "Editor"},
                      NameCase{"Editor.lnk", 37, true, true, "Editor.lnk"},
                      NameCase{"Makefile", 37, false, true, "Makefile"},
                      NameCase{".bashrc", 37, false, true, ".bashrc"},
                      NameCase{".config.old", 37, false, true, ".config"},
                      NameCase{"ааааааааааааааааааааааааааааааааааааааааааааааааааааа.txt", 17,
                               true, true, "ааааааааааааа...."},
                      NameCase{"ааааааааааааааааааааааааааааааааааааааааааааааааааааа.txt", 17,
                               false, true, "ааааааааааааа..."},
                      // wide characters take two cells each: the dots still end inside the frame
                      NameCase{"日本語のファイル名です.txt", 12, true, true, "日本語の...."},
                      NameCase{"日本語のファイル名です.txt", 11, true, true, "日本語...."},  // one cell short
                      NameCase{"", 37, true, true, ""}));

TEST(ShortLayout, SixtyCharactersInThirtySevenCells) {
    Line line;
    const std::string name = std::string(60, 'n');
    auto slot = line.format(hit(name));
    EXPECT_EQ(slot.Text, std::string(33, 'n') + "....");
    line.context.Settings.ShowExtentions = false;
    slot = line.format(hit(name));
    EXPECT_EQ(slot.Text, std::string(33, 'n') + "...");
}

struct InfoCase {
    const char* columns;
    const char* widths;
    results::TSearchResult hit;
    std::string text;
    bool ownCut = false;  // the path is cut by our own rule, where the system does not cut it
};

class FullInformation : public ::testing::TestWithParam<InfoCase> {};

TEST_P(FullInformation, ColumnsArePaddedAndFollowedByTwoBlanks) {
    const InfoCase& c = GetParam();
    if (c.ownCut && test::pathsCutByTheSystem()) GTEST_SKIP() << test::kSystemCutsPaths;
    Line line;
    const double when = oleOf(2026, 12, 8, 9, 5, 7);
    line.probe.files["/home/ann/a.txt"] = {when, 0x20};
    results::TSearchResult h = c.hit;
    results::TDynamicSearchResult node{h, nullptr};
    EXPECT_EQ(FullInfoLine(h.Name, node.Result, c.widths, c.columns, line.context.Dates), c.text);
}

results::TSearchResult folder() {
    results::TSearchResult r = hit("src");
    r.Kind = "Folder";
    return r;
}
results::TSearchResult gone() {
    results::TSearchResult r = hit("gone.txt", -1);
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cells, FullInformation,
    ::testing::Values(InfoCase{"N,S", "10,5", hit("a.txt", 2048), "a.txt" + std::string(7, ' ') + "  2 K  "},
                      InfoCase{"S", "6", hit("a", 1536), "   1 K  "},
                      InfoCase{"S", "6", hit("a", 1023), "  1023  "},
                      InfoCase{"S", "6", folder(), "Folder  "},
                      InfoCase{"S", "3", gone(), "     "},                  // no size found: blank
                      InfoCase{"N", "6", hit("abcdefghij.txt"), "ab...   "}, // cut, final dot dropped
                      InfoCase{"P", "30", hit("a.txt"), "/home/ann/a.txt" + std::string(17, ' ')},
                      InfoCase{"P", "15", hit("a.txt"), "/home/ann/a.txt  "},  // fits exactly: kept whole
                      InfoCase{"P", "14", hit("a.txt"), "/home.../a.txt  "},
                      InfoCase{"P", "10", hit("verylongname.txt"), "verylon...  ", true},
                      InfoCase{"D,T", "11,9", hit("a.txt"), " 2026-12-08   09:05:07  "},
                      InfoCase{"D,T", "3,3", hit("b.txt"), "  -    -  "},  // no file: NoDateText
                      InfoCase{"N,X,S", "3,2,x", hit("abc", 5), "abc      5  "},  // unknown letter, bad width
                      InfoCase{"", "10", hit("abc"), ""},
                      InfoCase{"S", "2000000000", hit("a", 7), std::string(1023, ' ') + "7  "}));

struct LayoutCase {
    TLineFormatSettings settings;
    int32_t width;
    const char* columns;
    const char* widths;
};

TLineFormatSettings layout(bool dontUse, int32_t mode, bool positionW, bool showExt) {
    TLineFormatSettings s;
    s.FIDontUse = dontUse;
    s.WindowMode = mode;
    s.PositionW = positionW;
    s.ShowExtentions = showExt;
    s.FIColumns = "N,D,T";
    s.FIWidths = "20,10,8";
    return s;
}

class Layouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, ColumnsAndWidthsFollowTheWindow) {
    const auto got = FullInfoLayout(GetParam().settings, GetParam().width);
    EXPECT_EQ(got.Columns, GetParam().columns);
    EXPECT_EQ(got.Widths, GetParam().widths);
}

INSTANTIATE_TEST_SUITE_P(Settings, Layouts,
                         ::testing::Values(LayoutCase{layout(false, 0, false, true), 80, "N,D,T", "20,10,8"},
                                           LayoutCase{layout(true, 1, false, true), 80, "N,S,P", "29,6,29"},
                                           LayoutCase{layout(true, 2, true, true), 80, "N,S,P", "33,6,33"},
                                           LayoutCase{layout(true, 1, false, true), 20, "N,S,P", "0,6,0"},
                                           LayoutCase{layout(true, 0, false, true), 80, "N,S,P", "29,6,27"},
                                           LayoutCase{layout(true, 0, false, false), 80, "N,S,P", "26,6,30"},
                                           LayoutCase{layout(true, 0, true, true), 80, "N,S,P", "30,6,38"},
                                           LayoutCase{layout(true, 0, true, false), 80, "N,S,P", "27,6,38"}));

struct ColourCase {
    int32_t style;
    bool header;
    std::array<uint8_t, 3> arrays;   // normal, cursor, highlighted of an unmarked character
    std::array<uint8_t, 2> keyword;  // normal, cursor of a marked one
};

class Colours : public ::testing::TestWithParam<ColourCase> {};

TEST_P(Colours, ByStyle) {
    const ColourCase& c = GetParam();
    Line line;
    line.context.Settings.Style = c.style;
    line.context.Settings.HighlightKeyword = true;
    line.context.HighlightQuery = "REP";
    results::TSearchResult h = hit("myreport.doc");
    if (c.header) {
        h = results::TSearchResult{};
        h.IsGroupHeader = true;
        h.Kind = "Programs";
    }
    const auto slot = line.format(h);
    EXPECT_EQ(slot.Flags, c.header ? dialogs::kLbxSeparator : 0u);
    EXPECT_EQ(slot.Text, c.header ? "Programs" : "myreport.doc");
    EXPECT_EQ(slot.Attr[0][0], c.arrays[0]);
    EXPECT_EQ(slot.Attr[1][0], c.arrays[1]);
    EXPECT_EQ(slot.Attr[2][0], c.arrays[2]);
    if (c.header) return;
    for (size_t i = 0; i < slot.Attr[0].size(); ++i) {
        const bool marked = i >= 2 && i <= 4;
        EXPECT_EQ(slot.Attr[0][i], marked ? c.keyword[0] : c.arrays[0]) << i;
        EXPECT_EQ(slot.Attr[1][i], marked ? c.keyword[1] : c.arrays[1]) << i;
        EXPECT_EQ(slot.Attr[2][i], c.arrays[2]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, Colours,
                         ::testing::Values(ColourCase{0, false, {0xF0, 0x0F, pal(10)}, {0xFC, 0x0C}},
                                           ColourCase{0, true, {0xF7, 0xF0, pal(10)}, {}},
                                           ColourCase{1, false, {pal(10), pal(14), pal(10)}, {pal(11), pal(15)}},
                                           ColourCase{1, true, {pal(18), pal(14), pal(10)}, {}},
                                           ColourCase{2, false, {pal(23), pal(32), pal(10)}, {pal(33), pal(34)}},
                                           ColourCase{2, true, {pal(78), pal(32), pal(10)}, {}},
                                           ColourCase{7, false, {pal(23), pal(32), pal(10)}, {pal(33), pal(34)}}));

TEST(KeywordMarks, CountCharactersOfMultiByteNamesAndStayInsideTheText) {
    Line line;
    line.context.Settings.Style = 0;
    line.context.Settings.HighlightKeyword = true;
    line.context.HighlightQuery = "ОТЧ";
    auto slot = line.format(hit("мойотчёт.txt"));
    std::string marks;
    for (uint8_t a : slot.Attr[0]) marks += a == 0xFC ? '^' : '.';
    if (test::pluginTextIsUtf8()) {  // the ANSI code page has no such letters
        EXPECT_EQ(marks, "...^^^......");
    }

    // full information: the marks follow the name's column and stop where its cell cuts it
    line.context.Settings.FullInfo = true;
    line.context.Settings.FIDontUse = false;
    line.context.Settings.FIColumns = "S,N";
    line.context.Settings.FIWidths = "4,7";
    line.context.HighlightQuery = "port";
    slot = line.format(hit("myreport.doc", 5));
    marks.clear();
    for (uint8_t a : slot.Attr[0]) marks += a == 0xFC ? '^' : '.';
    EXPECT_EQ(slot.Text, "   5  myr...   ");
    EXPECT_EQ(marks, "...............");  // "port" lies in the cut-off part, not on the dots
    line.context.HighlightQuery = "yr";
    slot = line.format(hit("myreport.doc", 5));
    marks.clear();
    for (uint8_t a : slot.Attr[0]) marks += a == 0xFC ? '^' : '.';
    EXPECT_EQ(marks, ".......^^......");
    line.context.Settings.FIColumns = "S";  // no name column: nothing to mark
    slot = line.format(hit("myreport.doc", 5));
    EXPECT_EQ(std::count(slot.Attr[0].begin(), slot.Attr[0].end(), 0xFC), 0);
    line.context.Settings.FullInfo = false;

    line.context.HighlightQuery = "txtx";  // not found: nothing marked
    slot = line.format(hit("a.txt"));
    EXPECT_EQ(std::count(slot.Attr[0].begin(), slot.Attr[0].end(), 0xFC), 0);

    line.context.Settings.HighlightKeyword = false;  // switched off
    line.context.HighlightQuery = "a";
    slot = line.format(hit("a.txt"));
    EXPECT_EQ(std::count(slot.Attr[0].begin(), slot.Attr[0].end(), 0xFC), 0);
}

std::string marksOf(const dialogs::TListBoxExItem& slot) {
    std::string marks;
    for (uint8_t a : slot.Attr[0]) marks += a == 0xFC ? '^' : '.';
    return marks;
}

// The marks fall where the index's fold finds the typed word (the shared table of scripts).
class KeywordFold : public ::testing::TestWithParam<test::FoldCase> {};

TEST_P(KeywordFold, MarksTheCharactersTheMatchCovers) {
    const test::FoldCase& c = GetParam();
    if (!test::pluginTextIsUtf8() && !(test::isAscii(c.name) && test::isAscii(c.word)))
        GTEST_SKIP() << test::kNoMultiByteLetters;
    Line line;
    line.context.Settings.Style = 0;
    line.context.Settings.HighlightKeyword = true;
    line.context.NameCells = 100;
    line.context.HighlightQuery = c.word;
    const auto slot = line.format(hit(c.name));
    std::string want(results::CharCount(c.name), '.');
    if (c.first >= 0) want.replace(static_cast<size_t>(c.first), static_cast<size_t>(c.count), static_cast<size_t>(c.count), '^');
    EXPECT_EQ(marksOf(slot), want);
}

INSTANTIATE_TEST_SUITE_P(Scripts, KeywordFold, ::testing::ValuesIn(test::kFoldCases),
                         [](const auto& info) { return std::string(info.param.label); });

struct CutMarkCase {
    const char* label;
    const char* name;
    int cells;   // the list's cells
    int column;  // > 0: full information, one N column this wide
    bool hideExtension;
    const char* query;
    const char* text;
    const char* marks;
};

class KeywordOnCutName : public ::testing::TestWithParam<CutMarkCase> {};

// A name cut to its room shows dots for the rest: a match reaching into the cut-off part marks
// only what is shown of it, and the dots are never marked, whatever the word.
TEST_P(KeywordOnCutName, NeverMarksTheDots) {
    const CutMarkCase& c = GetParam();
    Line line;
    line.context.Settings.Style = 0;
    line.context.Settings.HighlightKeyword = true;
    line.context.NameCells = c.cells;
    line.context.Settings.ShowExtentions = !c.hideExtension;
    if (c.column > 0) {
        line.context.Settings.FullInfo = true;
        line.context.Settings.FIDontUse = false;
        line.context.Settings.FIColumns = "N";
        line.context.Settings.FIWidths = std::to_string(c.column);
    }
    line.context.HighlightQuery = c.query;
    const auto slot = line.format(hit(c.name));
    EXPECT_EQ(slot.Text, c.text);
    EXPECT_EQ(marksOf(slot), c.marks);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, KeywordOnCutName,
    ::testing::Values(CutMarkCase{"across_the_cut", "abcdefghij", 8, 0, false, "CDE", "abcd....", "..^^...."},
                      CutMarkCase{"word_ending_in_dots", "abcdefghij", 8, 0, false, "d.", "abcd....", "........"},
                      CutMarkCase{"dots_alone", "abcdefghij", 8, 0, false, "..", "abcd....", "........"},
                      CutMarkCase{"name_with_dots_of_its_own", "ab..cdefgh", 8, 0, false, "..", "ab......", "..^^...."},
                      CutMarkCase{"hidden_extension", "abc.txt", 20, 0, true, "c.t", "abc", "..^"},
                      CutMarkCase{"cut_and_extension_hidden", "abcdefghij", 8, 0, true, "d", "abcd...", "...^..."},
                      CutMarkCase{"column_cut", "abcdefghij", 40, 7, false, "cdE", "abc...   ", "..^......"},
                      CutMarkCase{"cut_twice", "abcdefghij", 8, 6, false, "b", "ab...   ", ".^......"},
                      CutMarkCase{"cut_twice_dots", "abcdefghij", 8, 6, false, "d.", "ab...   ", "........"}),
    [](const auto& info) { return std::string(info.param.label); });

struct GroupCase {
    std::vector<results::THLGroup> groups;
    uint32_t attributes;
    bool mail;
    std::array<uint8_t, 2> colours;
};

class HighlightColours : public ::testing::TestWithParam<GroupCase> {};

TEST_P(HighlightColours, LastMatchingGroupWins) {
    const GroupCase& c = GetParam();
    Line line;
    platform::HostTables host;
    host.StandardFunctions.ProcessName = host::services::ProcessName;
    line.context.MatchMask = results::HostMaskMatcher(host);
    line.context.Settings.Style = 1;
    line.groups.Groups = c.groups;
    line.probe.files["/home/ann/setup.exe"] = {1.0, c.attributes};
    results::TSearchResult h = hit("setup.exe");
    if (c.mail) h.MailEntryId = "00AB";
    const auto slot = line.format(h);
    EXPECT_EQ(slot.Attr[0][0], c.colours[0]);
    EXPECT_EQ(slot.Attr[1][0], c.colours[1]);
}

const results::THLGroup kExe{0x1A, 0x3A, "*.exe,*.com", "", 0, 0};
const results::THLGroup kAll{0x13, 0x38, "*.*", "", 0, 0};
const results::THLGroup kZero{0, 0, "*.exe", "", 0, 0};
const results::THLGroup kHiddenOnly{0x13, 0x38, "*.*", "", 0x02, 0};
const results::THLGroup kNoMask{0x1F, 0x3F, "", "", 0x10, 0};
const results::THLGroup kExcludeHidden{0x55, 0x66, "*.*", "", 0, 0x02};

INSTANTIATE_TEST_SUITE_P(
    Groups, HighlightColours,
    ::testing::Values(GroupCase{{kExe}, 0x80, false, {0x1A, 0x3A}},
                      GroupCase{{kExe, kAll}, 0x80, false, {0x13, 0x38}},      // the later group
                      GroupCase{{kAll, kExe}, 0x80, false, {0x1A, 0x3A}},
                      GroupCase{{kZero}, 0x80, false, {pal(10), pal(14)}},     // 0: the panel colours
                      GroupCase{{kHiddenOnly}, 0x80, false, {pal(10), pal(14)}},
                      GroupCase{{kHiddenOnly}, 0x02, false, {0x13, 0x38}},
                      GroupCase{{kNoMask}, 0x10, false, {pal(10), pal(14)}},   // no mask: never
                      GroupCase{{kExcludeHidden}, 0x02, false, {0x55, 0x66}},  // only excluded bits set
                      GroupCase{{kExcludeHidden}, 0x80, false, {pal(10), pal(14)}},
                      GroupCase{{kExe}, 0x80, true, {pal(10), pal(14)}}));     // mail: never coloured

TEST(HighlightColours, AttributesAreReadOnceAndRetriedWhileMissing) {
    Line line;
    line.context.Settings.Style = 1;
    line.context.MatchMask = [](std::string_view, std::string_view) { return true; };
    line.groups.Groups = {kHiddenOnly};
    results::TDynamicSearchResult node{hit("x.txt"), nullptr};
    dialogs::TListBoxExItem slot;
    FormatLine(node, slot, line.context);  // no such file: attributes 0, no group
    EXPECT_FALSE(node.Result.AttrKnown);
    EXPECT_EQ(slot.Attr[0][0], pal(10));
    line.probe.files["/home/ann/x.txt"] = {1.0, 0x02};
    FormatLine(node, slot, line.context);
    FormatLine(node, slot, line.context);
    EXPECT_TRUE(node.Result.AttrKnown);
    EXPECT_EQ(slot.Attr[0][0], 0x13);
    EXPECT_EQ(line.probe.asked, 2);
}

}  // namespace
}  // namespace skimmer::search

namespace skimmer::search {
namespace {

TEST(LineSettings, ReadFromTheSettingsTableAndMissingOnesKeepTheirDefaults) {
    config::TRegistryConfig table;
    std::vector<std::string> reports;
    table.reportError_ = [&](const std::string& text) { reports.push_back(text); };
    config::configSetupCatalogue(table);  // no registry: every default
    const TLineFormatSettings defaults = ReadLineFormatSettings(table);
    EXPECT_EQ(defaults.Style, 2);
    EXPECT_EQ(defaults.FIWidths, "26,6,30");
    EXPECT_TRUE(defaults.FIDontUse);
    config::setConfigValue(table, "SKSStyle", config::TConfigValue::integer(1));
    config::setConfigValue(table, "SKSFIWidths", config::TConfigValue::str("10,5"));
    config::setConfigValue(table, "SKSHighlightKeyword", config::TConfigValue::boolean(true));
    const TLineFormatSettings changed = ReadLineFormatSettings(table);
    EXPECT_EQ(changed.Style, 1);
    EXPECT_EQ(changed.FIWidths, "10,5");
    EXPECT_TRUE(changed.HighlightKeyword);
    EXPECT_TRUE(reports.empty());

    config::TRegistryConfig empty;  // a table without the settings: defaults, each lookup reported
    empty.reportError_ = [&](const std::string& text) { reports.push_back(text); };
    const TLineFormatSettings fallback = ReadLineFormatSettings(empty);
    EXPECT_EQ(fallback.Style, 2);
    EXPECT_EQ(fallback.FIColumns, "N,S,P");
    EXPECT_EQ(reports.size(), 10u);
}

}  // namespace
}  // namespace skimmer::search
