// A path written as one shell word is the file it names, white space quoted at its ends included:
// opened or run without a shell, as the bare path is; anything else stays a command.
#include "host/app/typed_line.h"

#include <gtest/gtest.h>

#include <map>

namespace skimmer::host::app {
namespace {

class FakeFiles : public os::PathQuery {
public:
    std::map<std::string, os::PathFacts> facts_;
    os::PathFacts facts(const std::string& path) const override {
        auto it = facts_.find(path);
        return it == facts_.end() ? os::PathFacts{} : it->second;
    }
};

struct LineCase {
    const char* name;
    const char* line;
    os::CommandLineAction action;
    const char* target;
};

class TypedLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(TypedLine, QuotedPathsAreTheirFiles) {
    FakeFiles files;
    files.facts_["/h/a; touch pwned"] = {true, false, true};
    files.facts_["/h/$(id)"] = {true, false, false};
    files.facts_["/h/it's.txt"] = {true, false, false};
    files.facts_["/h/plain.txt"] = {true, false, false};
    const LineCase& c = GetParam();
    const os::CommandLineTarget target = classifyTypedLine(c.line, "/h", files);
    EXPECT_EQ(target.action, c.action);
    EXPECT_EQ(target.target, c.target);
}

using A = os::CommandLineAction;
INSTANTIATE_TEST_SUITE_P(
    Lines, TypedLine,
    ::testing::Values(LineCase{"single_quoted_program_runs", "'/h/a; touch pwned'", A::RunFile, "/h/a; touch pwned"},
                      LineCase{"single_quoted_document_opens", "'/h/$(id)'", A::OpenFile, "/h/$(id)"},
                      LineCase{"escaped_quote_inside", "'/h/it'\\''s.txt'", A::OpenFile, "/h/it's.txt"},
                      LineCase{"quoted_page_url_opens", "'https://x.org/a?b=c&d=it'\\''s'", A::OpenUrl,
                               "https://x.org/a?b=c&d=it's"},
                      LineCase{"bare_path_as_before", "/h/plain.txt", A::OpenFile, "/h/plain.txt"},
                      LineCase{"unquoted_metacharacters_stay_a_command", "/h/a; touch pwned x", A::Command, ""},
                      LineCase{"two_words_stay_a_command", "'/h/plain.txt' more", A::Command, ""},
                      LineCase{"missing_file_stays_a_command", "'/h/none'", A::Command, ""},
                      LineCase{"unterminated_quote_stays_a_command", "'/h/plain.txt", A::Command, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct BlankCase {
    const char* name;
    const char* line;
    const char* file;     // the file the line names, white space at its ends included
    const char* sibling;  // the same name without that white space: an executable decoy
};

class QuotedBlanks : public ::testing::TestWithParam<BlankCase> {};

// White space quoted at either end of a word belongs to the name: the line opens exactly the
// named file, with or without its decoy sibling beside it, and never runs the sibling.
TEST_P(QuotedBlanks, AreTheNamesNeverItsSiblings) {
    const BlankCase& c = GetParam();
    struct World {
        bool file, sibling;
    };
    for (const World world : {World{true, true}, World{true, false}, World{false, true}}) {
        FakeFiles files;
        if (world.file) files.facts_[c.file] = {true, false, false};
        if (world.sibling) files.facts_[c.sibling] = {true, false, true};
        const os::CommandLineTarget target = classifyTypedLine(c.line, "/h", files);
        const std::string expected = world.file ? c.file : "";
        EXPECT_EQ(target.action, world.file ? A::OpenFile : A::Command)
            << c.line << (world.file ? " with" : " without") << " the file";
        EXPECT_EQ(target.target, expected) << c.line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, QuotedBlanks,
    ::testing::Values(BlankCase{"trailing_blank", "'/h/X '", "/h/X ", "/h/X"},
                      BlankCase{"leading_blank", "'/h/ X'", "/h/ X", "/h/X"},
                      BlankCase{"both_ends_relative", "' X  '", "/h/ X  ", "/h/X"},
                      BlankCase{"tabs", "'/h/\tX\t'", "/h/\tX\t", "/h/X"},
                      BlankCase{"other_white_space", "'/h/X\v\f\r'", "/h/X\v\f\r", "/h/X"},
                      BlankCase{"double_quoted", "\"/h/X \"", "/h/X ", "/h/X"},
                      BlankCase{"escaped_blank", "/h/X\\ ", "/h/X ", "/h/X"},
                      BlankCase{"quoted_part_of_a_word", "/h/X' '", "/h/X ", "/h/X"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app
