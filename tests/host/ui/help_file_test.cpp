// The .hlf reader and the topic layout: hand-written files (topics, headers, links, escapes,
// options) and the malformed, truncated and binary ones a reader must survive; the plug-in's own
// help file holds every topic the plug-in asks for, and all its links lead somewhere.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "host/ui/help_file.h"
#include "host/ui/help_layout.h"
#include "host/ui/help_reference.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::ui {
namespace {

using namespace std::string_literals;

// A line as markup a test can compare: <b>bold</b>, [text|target], {XX:coloured}; "^" first for a
// centred line, "=" for a verbatim one.
std::string describe(const HelpLine& line) {
    std::string out = std::string(line.centred ? "^" : "") + (line.verbatim ? "=" : "");
    for (const auto& span : line.spans) {
        std::string text = span.text;
        if (!span.link.empty()) text = "[" + text + "|" + span.link + "]";
        else if (span.bold) text = "<b>" + text + "</b>";
        if (span.color >= 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%02X", span.color);
            text = "{" + std::string(hex) + ":" + text + "}";
        }
        out += text;
    }
    if (line.startPos >= 0) out += " @" + std::to_string(line.startPos);
    return out;
}

// What a parse gave: the error, or the topic names, then "T:" and the lines of topic T ("$" before
// header lines).
std::string describe(const HelpParse& parsed, std::string_view topic) {
    if (!parsed.file) return "error: " + parsed.error;
    std::string out;
    for (const auto& t : parsed.file->topics) out += t.name + ";";
    const HelpTopic* shown = parsed.file->find(topic);
    if (!shown) return out + " no " + std::string(topic);
    out += " " + shown->name + ":";
    for (const auto& line : shown->header) out += "\n$" + describe(line);
    for (const auto& line : shown->body) out += "\n" + describe(line);
    return out;
}

struct ReaderCase {
    const char* name;
    std::string input;
    const char* topic;
    const char* expected;
};

std::string file(std::string body) { return ".Language=English,English\n" + body; }

class HelpReader : public testing::TestWithParam<ReaderCase> {};

TEST_P(HelpReader, ReadsAsFarDoes) {
    const auto& c = GetParam();
    EXPECT_EQ(describe(parseHelpFile(c.input), c.topic), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HelpReader,
    testing::Values(
        ReaderCase{"TopicsHeaderBold", file("@Contents\n$^#Title#\nHello #bold# world\n@Next\nx\n"), "contents",
                   "Contents;Next; Contents:\n$^=<b>Title</b>\nHello <b>bold</b> world"},
        ReaderCase{"Links", file("@A\n~Go~@Other@ and ~file~@<../x/>T@ end\n"), "A",
                   "A; A:\n[Go|Other] and [file|<../x/>T] end"},
        ReaderCase{"Escapes", file("@A\na ## b ~~ c @@ d ~mail~@mailto:me@@x.org@\n"), "A",
                   "A; A:\na # b ~ c @ d [mail|mailto:me@x.org]"},
        ReaderCase{"UnclosedLinksAreText", file("@A\n~open\n~t~ no target\n~t~@unterminated\n~t~@@\n"), "A",
                   "A; A:\n~open\n~t~ no target\n~t~@unterminated\n~t~@"},
        ReaderCase{"CrLfTabsTrailingBlanks", file("@A\r\nx\ty   \r\n.Options TabSize=4\r\nx\ty\r\n"), "A",
                   "A; A:\nx       y\nx   y"},
        ReaderCase{"BadTabSizeIgnored", file(".Options TabSize=99\n@A\nx\ty\n"), "A", "A; A:\nx       y"},
        ReaderCase{"FormattingOffAndOn", file("@A\nwrapped\n@-\n  kept\n@+\nagain\n"), "A",
                   "A; A:\nwrapped\n=  kept\nagain"},
        ReaderCase{"HeaderOnlyRightAfterTopicLine", file("@A\n$Head\nbody\n$not a header\n"), "A",
                   "A; A:\n$=Head\nbody\n$not a header"},
        ReaderCase{"ColourAndStartPosition",
                   file(".Options CtrlColorChar=\\\n.Options CtrlStartPosChar=^\n@A\n\\1Fblue\\- plain \\\\ x\n #K#  ^text\n"),
                   "A", "A; A:\n{1F:blue} plain \\ x\n <b>K</b>  text @4"},
        ReaderCase{"NamesIgnoreCaseAndAliases", file("@Main\nm\n@Other=main\n@\nlost\n"), "OTHER", "Main; Main:\nm"},
        ReaderCase{"TruncatedLastTopic", file("@A\na\n@Tail"), "tail", "A;Tail; Tail:"},
        ReaderCase{"TextBeforeTopicsIgnored", "junk\n.Language=German,Deutsch\nmore\n@A\na\n", "A", "A; A:\na"},
        ReaderCase{"EscapedAtStartIsText", file("@A\n@@ not a topic\n"), "A", "A; A:\n@ not a topic"},
        ReaderCase{"MissingTopic", file("@A\na\n"), "B", "A; no B"},
        ReaderCase{"Binary", file("@A\nab\0cd\n"s), "A", "error: binary data, not a help file"},
        ReaderCase{"NoLanguage", "@A\ntext\n", "A", "error: no .Language line before the first topic: not a help file"},
        ReaderCase{"Empty", "", "A", "error: no .Language line: not a help file"},
        ReaderCase{"Utf8AndBom", "\xEF\xBB\xBF" + file("@A\nГрупп ~ссылка~@Б@\n"), "A", "A; A:\nГрупп [ссылка|Б]"}),
    [](const auto& info) { return std::string(info.param.name); });

// A topic of the lines given, laid out at a width; rows joined by "|".
struct LayoutCase {
    const char* name;
    std::string body;
    int width;
    const char* expected;
};

class HelpLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(HelpLayout, FormatsLikeFar) {
    const auto& c = GetParam();
    const auto parsed = parseHelpFile(file(".Options CtrlStartPosChar=^\n@T\n" + c.body));
    ASSERT_TRUE(parsed.file) << parsed.error;
    const HelpPage page = layoutHelpTopic(*parsed.file->find("T"), c.width);
    std::string rows;
    for (const auto& row : page.body) rows += (rows.empty() ? "" : "|") + row.text();
    EXPECT_EQ(rows, c.expected);
    for (const auto& row : page.body)
        if (!row.pieces.empty() && c.body.find("@-") == std::string::npos) {
            EXPECT_LE(static_cast<int>(row.text().size()), c.width) << row.text();
        }
}

INSTANTIATE_TEST_SUITE_P(
    Topics, HelpLayout,
    testing::Values(LayoutCase{"JoinAndWrap", "one two\nthree four five\n", 10, "one two|three four|five"},
                    LayoutCase{"IndentStartsParagraph", "a b\n c d\ne\n", 20, "a b| c d e"},
                    LayoutCase{"EmptyLineSeparates", "a\n\nb\n", 20, "a||b"},
                    LayoutCase{"Centred", "^mid\n", 9, "   mid"},
                    LayoutCase{"VerbatimNotJoined", "@-\nx   y\nz\n@+\n", 3, "x   y|z"},
                    LayoutCase{"HangingIndentAtMark", " #Key#  ^does a thing well\n", 16, " Key  does a|      thing well"},
                    LayoutCase{"LongWordBroken", "abcdefghij\n", 4, "abcd|efgh|ij"},
                    LayoutCase{"LinkKeptWhole", "see ~the other~@X@\n", 12, "see|the other"},
                    LayoutCase{"BoldGluedToComma", "#key#, next\n", 5, "key,|next"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReferenceCase {
    const char* text;
    HelpReference::Kind kind;
    const char* folder;
    const char* topic;
};

class HelpReferences : public testing::TestWithParam<ReferenceCase> {};

TEST_P(HelpReferences, SplitAsFarWritesThem) {
    const auto& c = GetParam();
    const HelpReference ref = parseHelpReference(c.text);
    EXPECT_EQ(ref.kind, c.kind);
    EXPECT_EQ(ref.folder, c.folder);
    EXPECT_EQ(ref.topic, c.topic);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, HelpReferences,
    testing::Values(ReferenceCase{"Topic", HelpReference::Kind::Topic, "", "Topic"},
                    ReferenceCase{"", HelpReference::Kind::Topic, "", "Contents"},
                    ReferenceCase{":Viewer", HelpReference::Kind::FarHelp, "", "Viewer"},
                    ReferenceCase{"<C:\\Far\\Plugins\\>Intro", HelpReference::Kind::Folder, "C:/Far/Plugins/", "Intro"},
                    ReferenceCase{"</opt/p/mod.so>", HelpReference::Kind::Folder, "/opt/p/", "Contents"},
                    ReferenceCase{"<mod.so>T", HelpReference::Kind::Folder, ".", "T"},
                    ReferenceCase{"HTTPS://example.org/x", HelpReference::Kind::Url, "", "HTTPS://example.org/x"},
                    ReferenceCase{"<unclosed", HelpReference::Kind::Topic, "", "<unclosed"}));

void write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// FAR's choice of file in a folder, and the files it must refuse to read.
TEST(HelpFolder, ChoosesByLanguageAndPassesOverWhatItCannotRead) {
    test::TempHome home;
    const auto dir = home.root() / "plug";
    std::filesystem::create_directories(dir);
    write(dir / "a_bad.hlf", "no language\n@X\n");
    write(dir / "b_en.hlf", file("@T\nenglish\n"));
    write(dir / "c_de.hlf", ".Language=German,Deutsch\n@T\ndeutsch\n");
    ASSERT_EQ(mkfifo((dir / "d_pipe.hlf").c_str(), 0600), 0);  // would block a reader that opened it

    auto text = [](const HelpParse& p) { return p.file ? p.file->topics.at(0).body.at(0).plainText() : p.error; };
    EXPECT_EQ(text(loadHelpFromFolder(dir, "German")), "deutsch");
    EXPECT_EQ(text(loadHelpFromFolder(dir, "russian")), "english");
    EXPECT_NE(text(loadHelpFile(dir / "d_pipe.hlf")).find("not a regular file"), std::string::npos);
    EXPECT_NE(text(loadHelpFile(dir / "a_bad.hlf")).find("a_bad.hlf: no .Language"), std::string::npos);
    EXPECT_NE(text(loadHelpFromFolder(home.root() / "missing", "English")).find("no help file in"), std::string::npos);
}

// The plug-in's help file, as shipped beside the module.
const HelpFile& shippedHelp() {
    static const HelpParse parsed = loadHelpFile(SKIMMER_HELP_FILE);
    if (!parsed.file) ADD_FAILURE() << parsed.error;
    static const HelpFile empty;
    return parsed.file ? *parsed.file : empty;
}

class ShippedHelp : public testing::TestWithParam<const char*> {};

TEST_P(ShippedHelp, HasTheTopicAndItsLinksLeadToTopics) {
    const HelpTopic* topic = shippedHelp().find(GetParam());
    ASSERT_NE(topic, nullptr) << GetParam();
    EXPECT_FALSE(topic->header.empty()) << "a topic opens with its title";
    for (const auto& line : topic->body)
        for (const auto& span : line.spans)
            if (!span.link.empty()) {
                EXPECT_NE(shippedHelp().find(span.link), nullptr) << span.link;
            }
}

// Every help topic the plug-in's windows name, the panel's, and the viewer's own.
INSTANTIATE_TEST_SUITE_P(Topics, ShippedHelp,
                         testing::Values("Contents", "SKSWindow", "SKSConfig", "SKPConfig", "SKSEditGroups",
                                         "SKSEditFullInfo", "SKPanel", "SKPCreateSF", "SKPCreateDirectory", "SKVFinder",
                                         "SKSTempPanel", "SKSEngine", "Help"));

TEST(ShippedHelpFile, EveryTopicIsReachableFromContents) {
    const HelpFile& help = shippedHelp();
    std::vector<std::string> seen{"Contents"}, queue{"Contents"};
    while (!queue.empty()) {
        const HelpTopic* topic = help.find(queue.back());
        queue.pop_back();
        if (!topic) continue;
        for (const auto& line : topic->body)
            for (const auto& span : line.spans)
                if (const HelpTopic* to = span.link.empty() ? nullptr : help.find(span.link);
                    to && std::find(seen.begin(), seen.end(), to->name) == seen.end()) {
                    seen.push_back(to->name);
                    queue.push_back(seen.back());
                }
    }
    EXPECT_EQ(seen.size(), help.topics.size());
}

}  // namespace
}  // namespace skimmer::host::ui
