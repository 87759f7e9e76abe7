// The small parsers and tables of the store: .desktop key files, the config file and exclusion
// globs, kinds and extensions, and terminal-safe display of names.
#include "index/crawl/crawl_options.h"
#include "index/storage/display_text.h"
#include "index/storage/kinds.h"
#include "os/desktop_file.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

#include <fstream>

namespace skimmer::index::store::test {
namespace {

using os::parseDesktopFile;

TEST(DesktopFile, GroupsKeysEscapesAndLists) {
    const auto file = parseDesktopFile(
        "# comment\nName=outside any group\n[Desktop Entry]\nName = Spaced \\s\\\\ \\n \n"
        "Categories=A;B\\;C;D\\\\;\nName=second wins not\n[Other]\nName=other\n[Desktop Entry]\nExtra=dup group\n");
    EXPECT_EQ(file.string("Desktop Entry", "Name"), "Spaced  \\ \n");
    EXPECT_EQ(file.stringList("Desktop Entry", "Categories"), (std::vector<std::string>{"A", "B;C", "D\\"}));
    EXPECT_EQ(file.string("Other", "Name"), "other");
    EXPECT_FALSE(file.raw("Desktop Entry", "Extra")) << "a repeated group adds nothing";
    EXPECT_FALSE(file.raw("None", "Name"));
}

TEST(DesktopFile, LocalizedLookupFallsBackInTheDefinedOrder) {
    const auto file = parseDesktopFile(
        "[G]\nName=C\nName[sr]=sr\nName[sr@latin]=sr@latin\nName[sr_YU]=sr_YU\nName[sr_YU@latin]=sr_YU@latin\n");
    EXPECT_EQ(file.localeString("G", "Name", "sr_YU.UTF-8@latin"), "sr_YU@latin");
    EXPECT_EQ(file.localeString("G", "Name", "sr_YU"), "sr_YU");
    EXPECT_EQ(file.localeString("G", "Name", "sr_ME@latin"), "sr@latin");
    EXPECT_EQ(file.localeString("G", "Name", "sr_ME"), "sr");
    EXPECT_EQ(file.localeString("G", "Name", "fr_FR"), "C");
    EXPECT_EQ(file.localeString("G", "Name", ""), "C");
}

TEST(DesktopFile, MalformedLinesAreSkippedAndCounted) {
    static const char kText[] = "[G]\nno equals sign\nBad Key=x\n=empty\n[\n[G\nOk=1\n\0\xff=x\n";
    const auto file = parseDesktopFile(std::string(kText, sizeof kText - 1));
    EXPECT_EQ(file.boolean("G", "Ok"), true);
    EXPECT_EQ(file.malformedLines(), 6u);
    EXPECT_EQ(file.boolean("G", "Missing"), std::nullopt);
}

TEST(Kinds, CodesAndNamesAreStable) {
    EXPECT_EQ(static_cast<int>(Kind::Program), 6);
    EXPECT_EQ(static_cast<int>(Kind::WebHistory), 23);
    EXPECT_EQ(kindName(Kind::InstantMessage), "instantmessage");
    EXPECT_EQ(kindDisplayName(Kind::Folder), "Folder");
    EXPECT_EQ(kindName(99), "unknown");
    for (int code = 0; code < kKindCount; ++code)
        EXPECT_EQ(kindFromCanonicalName(kindDisplayName(code)), static_cast<Kind>(code));
    EXPECT_EQ(kindFromCanonicalName("files"), std::nullopt);
}

TEST(Kinds, ExtensionsDecideThePlainFileKind) {
    EXPECT_EQ(extensionOf("Report.Final.PDF"), "pdf");
    EXPECT_EQ(extensionOf(".bashrc"), "");
    EXPECT_EQ(extensionOf("trailing."), "");
    EXPECT_EQ(kindFromName("photo.JPeG"), Kind::Picture);
    EXPECT_EQ(kindFromName("setup.exe"), Kind::Program);
    EXPECT_EQ(kindFromName("link.lnk"), Kind::Link);
    EXPECT_EQ(kindFromName("site.url"), Kind::Favorite);
    EXPECT_EQ(kindFromName("mail.eml"), Kind::Email);
    EXPECT_EQ(kindFromName("main.c"), Kind::Unknown);
}

TEST(DisplayText, ControlBytesAndInvalidUtf8BecomeVisibleEscapes) {
    EXPECT_EQ(terminalSafe("plain \xc3\xa9t\xc3\xa9"), "plain \xc3\xa9t\xc3\xa9");
    EXPECT_EQ(terminalSafe("a\nb\x1b[2J"), "a\\x0Ab\\x1B[2J");
    EXPECT_EQ(terminalSafe("raw\x9b" "1m"), "raw\\x9B1m");
    EXPECT_EQ(terminalSafe("c1 \xc2\x9b"), "c1 \\xC2\\x9B");
    EXPECT_EQ(terminalSafe("back\\slash"), "back\\\\slash") << "so no name can fake an escape";
    EXPECT_EQ(terminalSafe("\xed\xa0\x80"), "\\xED\\xA0\\x80");
    EXPECT_EQ(keepEnd("abcdefghij", 6), "...hij");
    EXPECT_EQ(keepEnd("ab\xc3\xa9", 3), "ab\xc3\xa9");
}

TEST(CrawlOptions, DefaultsComeFromTheEnvironmentGiven) {
    const std::map<std::string, std::string> env = {
        {"HOME", "/home/u/"},       {"XDG_DATA_HOME", "relative/ignored"}, {"XDG_DATA_DIRS", "/opt/share:rel:/usr/share/"},
        {"PATH", "/usr/bin:bin::/opt/bin"}, {"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "C"}};
    const CrawlOptions options = defaultCrawlOptions([&](const char* name) {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(options.roots, (std::vector<std::string>{"/home/u", "/home/u/.local/share/applications",
                                                       "/opt/share/applications", "/usr/share/applications"}));
    EXPECT_EQ(options.pathDirs, (std::vector<std::string>{"/usr/bin", "/opt/bin"}));
    EXPECT_EQ(options.locale, "") << "LC_MESSAGES=C outranks LANG";
}

TEST(CrawlOptions, ConfigFileAddsRootsAndExclusionsAndReportsBadLines) {
    skimmer::test::TempHome home;
    const std::string path = (home.config() / "index.conf").string();
    std::ofstream(path) << "# roots\nroot = ~/Work\nroot = relative\nexclude = *.iso\n"
                           "default-excludes = no\nfrobnicate = yes\n";
    CrawlOptions options;
    options.home = "/home/u";
    const auto problems = loadIndexConfig(path, options, false);
    EXPECT_EQ(options.roots, (std::vector<std::string>{"/home/u/Work"}));
    EXPECT_EQ(options.excludes, (std::vector<std::string>{"*.iso"}));
    EXPECT_FALSE(options.defaultExcludes);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find(":3:"), std::string::npos) << problems[0];
    CrawlOptions fixed;
    loadIndexConfig(path, fixed, true);
    EXPECT_TRUE(fixed.roots.empty()) << "--root on the command line overrides config roots";
    EXPECT_TRUE(loadIndexConfig(path + ".missing", fixed, false).empty());
}

TEST(CrawlOptions, ExclusionsMatchNamesAnywhereOrWholePaths) {
    CrawlOptions options;
    options.home = "/home/u";
    options.defaultExcludes = false;
    options.excludes = {"*.o", "build", "~/Downloads/", "/srv/*/tmp", "/top"};
    const Excluder excluder(options);
    EXPECT_TRUE(excluder.excluded("/x/y/main.o", "main.o"));
    EXPECT_TRUE(excluder.excluded("/x/build", "build"));
    EXPECT_FALSE(excluder.excluded("/x/builds", "builds"));
    EXPECT_TRUE(excluder.excluded("/home/u/Downloads", "Downloads"));
    EXPECT_FALSE(excluder.excluded("/home/v/Downloads", "Downloads"));
    EXPECT_TRUE(excluder.excluded("/srv/a/b/tmp", "tmp"));
    // The crawler's form, which builds the path only when a path rule could match.
    EXPECT_TRUE(excluder.excludedIn("/home/u", "Downloads"));
    EXPECT_FALSE(excluder.excludedIn("/home/v", "Downloads"));
    EXPECT_TRUE(excluder.excludedIn("/srv/a/b", "tmp"));
    EXPECT_TRUE(excluder.excludedIn("/", "top"));
    EXPECT_TRUE(excluder.excludedIn("/x", "main.o"));
    EXPECT_FALSE(excluder.excludedIn("/x", "main.c"));
    EXPECT_EQ(normalizePath("/a//b/./c/../d/"), "/a/b/d");
    EXPECT_EQ(normalizePath("/../"), "/");
}

// The word-at-a-time test must agree with the escaping for every byte at every place of a word
// and of the tail after the last whole word.
TEST(DisplayText, PlainTextIsExactlyWhatEscapingLeavesAlone) {
    for (size_t length : {1u, 7u, 8u, 9u, 16u, 19u}) {
        for (size_t at = 0; at < length; ++at) {
            for (int b = 0; b < 256; ++b) {
                std::string text(length, 'a');
                text[at] = static_cast<char>(b);
                ASSERT_EQ(plainForTerminal(text), terminalSafe(text) == text && b < 0x80)
                    << "byte " << b << " at " << at << " of " << length;
            }
        }
    }
    EXPECT_TRUE(plainForTerminal(""));
}

struct EscapeCase {
    const char* name;
    std::string bytes, shown;
};

class TerminalSafeBidi : public ::testing::TestWithParam<EscapeCase> {};

// Characters that would reverse or split what the terminal shows are named by their number, each
// with its neighbours left as they are.
TEST_P(TerminalSafeBidi, LineBreakingAndReorderingCharactersAreShownByNumber) {
    EXPECT_EQ(terminalSafe(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, TerminalSafeBidi,
    ::testing::Values(EscapeCase{"RightToLeftOverride", "a\u202Etxt.exe", "a\\u202Etxt.exe"},
                      EscapeCase{"Embeddings", "\u202A\u202B\u202C\u202D", "\\u202A\\u202B\\u202C\\u202D"},
                      EscapeCase{"Isolates", "\u2066x\u2067\u2068\u2069", "\\u2066x\\u2067\\u2068\\u2069"},
                      EscapeCase{"Marks", "\u200E\u200F\u061C", "\\u200E\\u200F\\u061C"},
                      EscapeCase{"LineAndParagraphSeparators", "one\u2028two\u2029", "one\\u2028two\\u2029"},
                      EscapeCase{"NeighboursKept", "\u2027\u2030\u202F\u2065\u206A\u200D",
                                 "\u2027\u2030\u202F\u2065\u206A\u200D"},
                      EscapeCase{"BackslashStaysUnambiguous", "\\u202E", "\\\\u202E"}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::index::store::test
