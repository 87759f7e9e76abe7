#include "os/command_line.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

struct QuoteCase {
    const char* name;
    std::string arg;
    std::string quoted;  // as the C runtime's rules need it, written out by hand
};

class QuoteArgument : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteArgument, QuotesOnlyWhatTheRuntimeWouldSplitOrUnescape) {
    EXPECT_EQ(quoteArgument<char>(GetParam().arg), GetParam().quoted);
    // The wide form, which Windows receives, quotes the same way.
    const std::wstring wide(GetParam().arg.begin(), GetParam().arg.end());
    const std::wstring quoted(GetParam().quoted.begin(), GetParam().quoted.end());
    EXPECT_EQ(quoteArgument<wchar_t>(wide), quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, QuoteArgument,
    ::testing::Values(QuoteCase{"plain", "abc", "abc"},
                      QuoteCase{"empty", "", R"("")"},
                      QuoteCase{"blank", "a b", R"("a b")"},
                      QuoteCase{"tab", "a\tb", "\"a\tb\""},
                      QuoteCase{"newline", "a\nb", "\"a\nb\""},
                      QuoteCase{"quote", R"(say "hi")", R"("say \"hi\"")"},
                      QuoteCase{"lone_quote", "\"", R"("\"")"},
                      QuoteCase{"backslashes_alone_are_literal", R"(C:\a\\b)", R"(C:\a\\b)"},
                      QuoteCase{"backslashes_in_quotes_without_quote", R"(C:\a b\c)", R"("C:\a b\c")"},
                      QuoteCase{"backslash_before_quote", R"(a\"b)", R"("a\\\"b")"},
                      QuoteCase{"run_before_quote", R"(a\\\"b)", R"("a\\\\\\\"b")"},
                      QuoteCase{"run_at_the_end", R"(C:\a b\\)", R"("C:\a b\\\\")"},
                      QuoteCase{"trailing_backslash_unquoted", R"(C:\dir\)", R"(C:\dir\)"},
                      QuoteCase{"shell_characters_stay", "a&b|c^d%e%<f>", "a&b|c^d%e%<f>"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineCase {
    const char* name;
    std::vector<std::string> argv;
    std::string line;  // empty: refused
};

class CommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLine, ProgramThenArgumentsOrARefusalWithAReason) {
    std::string line = "stale";
    std::string error;
    const bool built = buildCommandLine<char>(GetParam().argv, line, error);
    EXPECT_EQ(built, !GetParam().line.empty()) << error;
    if (built) EXPECT_EQ(line, GetParam().line);
    else EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLine,
    ::testing::Values(LineCase{"program_alone", {"Locate.exe"}, "Locate.exe"},
                      LineCase{"program_with_blank", {R"(C:\Program Files\L\Locate.exe)", "a b", ""},
                               R"("C:\Program Files\L\Locate.exe" "a b" "")"},
                      LineCase{"program_ending_in_backslash_not_escaped", {R"(C:\a b\)", "x"}, R"("C:\a b\" x)"},
                      LineCase{"no_program", {}, ""},
                      LineCase{"empty_program", {"", "x"}, ""},
                      LineCase{"quote_in_program", {"a\"b.exe"}, ""},
                      LineCase{"nul_in_argument", {"a.exe", std::string("x\0y", 3)}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::os
