// The manual pages and shell completions shipped in dist/ list exactly the options of each
// program's option table, each with the same value: the man page's OPTIONS with the same
// placeholder, the completions offering files, folders, the kind words or nothing, as the table
// says. bash's completion is run; zsh's and fish's are read (one option a line).
#include "host/app/options.h"
#include "index/query/query_values.h"
#include "index/storage/kinds.h"
#include "index/tool/command_line.h"
#include "skimmer_version.h"
#include "tests/dist/dist_files.h"
#include "tests/index/crawl/tool_run.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace skimmer::dist::test {
namespace {

using index::store::test::runProgram;
using os::Completion;

struct Program {
    std::string name;
    os::OptionTable table;
    std::vector<std::string> words;  // what an option completed with Words offers
};

Program programNamed(const std::string& name) {
    if (name == "skimmer") return {name, host::app::kOptions, {}};
    return {name, index::tool::kOptions, index::tool::kindWords()};
}

// What a shell offers after one spelling of an option.
struct Offer {
    bool takesValue = false;
    Completion completion = Completion::None;
    std::set<std::string> words;
    bool operator==(const Offer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Offer& offer) {
    out << (offer.takesValue ? "value " : "flag ") << static_cast<int>(offer.completion) << " {";
    for (const std::string& word : offer.words) out << word << ' ';
    return out << '}';
}

using Offers = std::map<std::string, Offer>;  // by spelling: "--db", "-h"

Offers expectedOffers(const Program& program) {
    Offers offers;
    for (const os::ProgramOption& option : program.table) {
        Offer offer{!option.argument.empty(), option.completion, {}};
        if (option.completion == Completion::Words) offer.words = {program.words.begin(), program.words.end()};
        offers[std::string(option.name)] = offer;
        if (!option.alias.empty()) offers[std::string(option.alias)] = offer;
    }
    return offers;
}

std::set<std::string> spellings(const Program& program) {
    std::set<std::string> all;
    for (const auto& [spelled, offer] : expectedOffers(program)) all.insert(spelled);
    return all;
}

std::set<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::set<std::string> words;
    for (std::string word; in >> word;) words.insert(word);
    return words;
}

// zsh: one _arguments entry a line: '(EXCLUDED)*--name=[help]:what:ACTION'.
Offers zshOffers(const std::string& script) {
    static const std::regex entry(R"(^\s*'(?:\([^)]*\))?\*?(-[-A-Za-z0-9]+)(=?)\[[^\]]*\](?::[^:]*:(.*))?'\s*\\?$)");
    Offers offers;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, entry)) continue;
        Offer offer{m[2] == "=", Completion::None, {}};
        const std::string action = m[3];
        if (action == "_files") offer.completion = Completion::File;
        else if (action == "_files -/") offer.completion = Completion::Folder;
        else if (action.starts_with("(")) offer = {true, Completion::Words, wordsOf(action.substr(1, action.size() - 2))};
        offers[m[1]] = offer;
    }
    return offers;
}

// The words of a script line: blanks split, `quote` groups (and may make an empty word).
std::vector<std::string> quotedWords(const std::string& line, char quote) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == quote) quoted = !quoted, any = true;
        else if (c == ' ' && !quoted) {
            if (any) words.push_back(word);
            word.clear(), any = false;
        } else word += c, any = true;
    }
    if (any) words.push_back(word);
    return words;
}

// fish: one `complete -c PROGRAM` a line; -r/-x take a value, -F offers files, -a the words or
// a command (folders).
Offers fishOffers(const std::string& script) {
    Offers offers;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> w = quotedWords(line, '\'');
        std::vector<std::string> names;
        Offer offer;
        std::string arguments;
        for (size_t i = 0; i < w.size(); ++i) {
            if ((w[i] == "-s" || w[i] == "-l") && i + 1 < w.size()) {
                names.push_back((w[i] == "-s" ? "-" : "--") + w[i + 1]);
                ++i;
            } else if (w[i] == "-r" || w[i] == "-x") offer.takesValue = true;
            else if (w[i] == "-F") offer.completion = Completion::File;
            else if (w[i] == "-a" && i + 1 < w.size()) arguments = w[++i];
            else if (w[i] == "-c" || w[i] == "-d") ++i;
        }
        if (arguments.find("__fish_complete_directories") != std::string::npos) offer.completion = Completion::Folder;
        else if (!arguments.empty()) offer.completion = Completion::Words, offer.words = wordsOf(arguments);
        for (const std::string& name : names) offers[name] = offer;
    }
    return offers;
}

// The text a man(7) macro line sets: .B/.I join their arguments with blanks, the alternating
// macros (.BI, .BR, .IR, ...) without; quotes group, font escapes vanish, \- is a minus.
std::string roffText(const std::string& line) {
    std::vector<std::string> args = quotedWords(line, '"');
    const std::string macro = args.empty() ? "" : args.front();
    if (!args.empty()) args.erase(args.begin());
    std::string text;
    for (const std::string& a : args) text += (macro.size() == 2 && !text.empty() ? " " : "") + a;
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

// The tags of the .TP paragraphs of the OPTIONS section.
std::set<std::string> manOptions(const std::string& page) {
    std::set<std::string> tags;
    std::istringstream in(page);
    bool inOptions = false, tagNext = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(".SH")) inOptions = line == ".SH OPTIONS";
        else if (inOptions && tagNext) tags.insert(roffText(line));
        tagNext = inOptions && line.starts_with(".TP");
    }
    return tags;
}

class OptionLists : public ::testing::TestWithParam<std::string> {
protected:
    Program program = programNamed(GetParam());
};

TEST_P(OptionLists, ManualPageListsEveryOptionWithItsPlaceholderAndTheVersion) {
    const std::string page = readDistFile("man/" + program.name + ".1");
    std::set<std::string> expected;
    for (const os::ProgramOption& option : program.table) expected.insert(os::spelling(option));
    EXPECT_EQ(manOptions(page), expected);
    const std::string title = "\"" + program.name + " " + kVersion + "\"";
    EXPECT_NE(page.find("\n.TH "), std::string::npos);
    EXPECT_NE(page.find(title), std::string::npos) << "the .TH line names " << title;
    const std::string options = page.substr(page.find("\n.SH OPTIONS"));
    for (const std::string& word : program.words)
        EXPECT_TRUE(std::regex_search(options, std::regex("[ \"]" + word + "[ ,\n]"))) << "the page names " << word;
}

TEST_P(OptionLists, ZshCompletionOffersWhatTheTableSays) {
    EXPECT_EQ(zshOffers(readDistFile("completion/_" + program.name)), expectedOffers(program));
}

TEST_P(OptionLists, FishCompletionOffersWhatTheTableSays) {
    EXPECT_EQ(fishOffers(readDistFile("completion/" + program.name + ".fish")), expectedOffers(program));
}

// The bash completion of `program`, run in `folder` with COMP_WORDS as bash would set them for
// "program WORDS..." (the last word being completed): what it puts in COMPREPLY.
std::set<std::string> bashOffers(const std::string& program, const std::filesystem::path& folder,
                                 const std::vector<std::string>& words) {
    static const char* const kScript = R"sh(
source "$1" && cd "$2" || exit 9
shift 2
read -ra registration <<< "$(complete -p "$1")"
for ((k = 0; k < ${#registration[@]}; k++)); do [[ ${registration[k]} == -F ]] && fn=${registration[k + 1]}; done
COMP_WORDS=("$@")
COMP_CWORD=$(($# - 1))
"$fn"
((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}"
exit 0)sh";
    std::vector<std::string> argv = {"bash", "--norc", "-c", kScript, "bash",
                                     distPath("completion/" + program + ".bash").string(), folder.string(), program};
    argv.insert(argv.end(), words.begin(), words.end());
    const auto run = runProgram(argv);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::set<std::string> offered;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);) offered.insert(line);
    return offered;
}

class BashCompletion : public OptionLists {
protected:
    skimmer::test::TempHome home;
    std::filesystem::path folder = home.root() / "here";

    void SetUp() override {
        std::filesystem::create_directories(folder / "photos");
        std::ofstream(folder / "notes.txt") << "n";
    }
};

TEST_P(BashCompletion, OffersEveryOptionAndEachValueAsTheTableSays) {
    EXPECT_EQ(bashOffers(program.name, folder, {"-"}), spellings(program));
    const std::map<Completion, std::set<std::string>> values = {
        {Completion::None, {}},
        {Completion::File, {"notes.txt", "photos"}},
        {Completion::Folder, {"photos"}},
        {Completion::Words, {program.words.begin(), program.words.end()}},
    };
    for (const os::ProgramOption& option : program.table) {
        if (option.argument.empty()) continue;
        EXPECT_EQ(bashOffers(program.name, folder, {std::string(option.name), ""}), values.at(option.completion))
            << option.name;
    }
    EXPECT_EQ(bashOffers(program.name, folder, {"--version", "--vers"}), std::set<std::string>{"--version"})
        << "an option after a flag";
}

INSTANTIATE_TEST_SUITE_P(Programs, OptionLists, ::testing::Values("skimmer", "skimmer-index"),
                         [](const auto& info) { return info.param == "skimmer" ? "skimmer" : "skimmer_index"; });
INSTANTIATE_TEST_SUITE_P(Programs, BashCompletion, ::testing::Values("skimmer", "skimmer-index"),
                         [](const auto& info) { return info.param == "skimmer" ? "skimmer" : "skimmer_index"; });

// A word being typed narrows the offers, a value after "=" is completed as after a blank, and
// skimmer's text for the command line is not an option.
TEST(BashPrefixes, NarrowTheOffers) {
    struct Case {
        std::string program;
        std::vector<std::string> words;
        std::set<std::string> offered;
    };
    skimmer::test::TempHome home;
    std::filesystem::create_directories(home.root() / "photos");
    std::ofstream(home.root() / "photo.txt") << "p";
    const std::string root = home.root().string();
    const std::vector<std::string> kinds = index::tool::kindWords();
    for (const Case& c : {Case{"skimmer-index", {"--kind", "mu"}, {"music"}},
                          Case{"skimmer-index", {"--st"}, {"--stats", "--store-only"}},
                          Case{"skimmer-index", {"--root", root + "/ph"}, {root + "/photos"}},
                          Case{"skimmer-index", {"--db", root + "/ph"}, {root + "/photos", root + "/photo.txt"}},
                          Case{"skimmer-index", {"--root", "=", root + "/ph"}, {root + "/photos"}},
                          Case{"skimmer-index", {"--kind", "="}, {kinds.begin(), kinds.end()}},
                          Case{"skimmer", {"--pl"}, {"--plugin"}},
                          Case{"skimmer", {"report"}, {}}})
        EXPECT_EQ(bashOffers(c.program, home.root(), c.words), c.offered) << c.program << " " << c.words.back();
}

// --kind offers the words of the query language: only words it takes, and every canonical kind
// name that can match beside the "NOT folder" that --kind adds.
TEST(KindWords, AreTheQueryLanguagesKindWords) {
    const std::vector<std::string> words = index::tool::kindWords();
    EXPECT_EQ(std::set<std::string>(words.begin(), words.end()).size(), words.size()) << "no word twice";
    for (const std::string& word : words) EXPECT_TRUE(index::query::kindFilterFor(word).has_value()) << word;
    const uint32_t folders = uint32_t{1} << static_cast<int>(index::store::Kind::Folder);
    for (int code = 0; code < index::store::kKindCount; ++code) {
        const std::string name(index::store::kindName(code));
        const bool canMatch = (index::query::kindFilterFor(name)->mask & ~folders) != 0;
        EXPECT_EQ(std::find(words.begin(), words.end(), name) != words.end(), canMatch) << name;
    }
}

// groff finds nothing to warn about in either page (lintian runs the same check on the package).
TEST(ManualPages, FormatWithoutWarnings) {
    if (runProgram({"groff", "--version"}).exitCode != 0) GTEST_SKIP() << "groff is not installed";
    for (const char* page : {"man/skimmer.1", "man/skimmer-index.1"}) {
        const auto run = runProgram({"groff", "-man", "-Tutf8", "-ww", "-z", distPath(page).string()});
        EXPECT_EQ(run.exitCode, 0) << page;
        EXPECT_EQ(run.err, "") << page;
    }
}

// Every option of each table means something to its parse: none is refused as unknown or left
// unhandled.
TEST(OptionTables, EveryOptionIsParsed) {
    for (const os::ProgramOption& option : host::app::kOptions) {
        std::vector<std::string> args = {std::string(option.name)};
        if (!option.argument.empty()) args.push_back("/x");
        EXPECT_EQ(host::app::parseOptions(args).error, "") << option.name;
    }
    for (const os::ProgramOption& option : index::tool::kOptions) {
        std::vector<std::string> args = {"skimmer-index", std::string(option.name)};
        if (!option.argument.empty()) args.push_back(option.name == "--root" ? "/" : "1");
        if (option.name == "--kind" || option.name == "--limit" || option.name == "--null")
            args.insert(args.end(), {"--query", "a"});  // they go with --query
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        index::tool::Args parsed;
        EXPECT_EQ(index::tool::parseArgs(static_cast<int>(argv.size()), argv.data(), parsed), std::nullopt)
            << option.name;
    }
}

}  // namespace
}  // namespace skimmer::dist::test
