#include "os/option_table.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

constexpr ProgramOption kTable[] = {
    {"--db", "", "FILE", Completion::File, "the index file"},
    {"--null", "-0", "", Completion::None, "end each hit with NUL"},
};

struct MatchCase {
    const char* name;
    std::vector<std::string> args;
    const char* option;  // null: refused
    const char* value;   // or the error when refused
    size_t next;         // where the parse goes on
};

class MatchOption : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchOption, FindsTheOptionAndItsValueOrSaysWhy) {
    const MatchCase& c = GetParam();
    size_t i = 0;
    const OptionMatch match = matchOption(kTable, c.args, i);
    if (c.option) {
        ASSERT_NE(match.option, nullptr) << match.error;
        EXPECT_EQ(match.option->name, c.option);
        EXPECT_EQ(match.value, c.value);
    } else {
        EXPECT_EQ(match.option, nullptr);
        EXPECT_EQ(match.error, c.value);
    }
    EXPECT_EQ(i, c.next);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchOption,
    ::testing::Values(MatchCase{"ValueIsTheNextWord", {"--db", "-x", "more"}, "--db", "-x", 2},
                      MatchCase{"ValueAfterEquals", {"--db=a=b", "more"}, "--db", "a=b", 1},
                      MatchCase{"EmptyValueAfterEquals", {"--db="}, "--db", "", 1},
                      MatchCase{"Alias", {"-0", "more"}, "--null", "", 1},
                      MatchCase{"MissingValue", {"--db"}, nullptr, "--db needs a value", 1},
                      MatchCase{"FlagWithValue", {"--null=yes"}, nullptr, "--null takes no value", 1},
                      MatchCase{"ShortAliasIsNotSplitAtEquals", {"-0=x"}, nullptr, "unknown option '-0=x'", 1},
                      MatchCase{"Unknown", {"--dbx"}, nullptr, "unknown option '--dbx'", 1},
                      MatchCase{"StrayWord", {"db"}, nullptr, "unknown option 'db'", 1}),
    [](const auto& info) { return std::string(info.param.name); });

// The help column follows the longest spelling; long help wraps under it, never past the width.
TEST(HelpLines, AlignAndWrapUnderTheLongestSpelling) {
    constexpr ProgramOption table[] = {
        {"--db", "", "FILE", Completion::File, "the index file"},
        {"--help", "-h", "", Completion::None, "one two three four five six seven eight nine ten eleven twelve"},
    };
    EXPECT_EQ(helpLines(table, 40),
              "  --db FILE   the index file\n"
              "  -h, --help  one two three four five\n"
              "              six seven eight nine ten\n"
              "              eleven twelve\n");
}

}  // namespace
}  // namespace skimmer::os
