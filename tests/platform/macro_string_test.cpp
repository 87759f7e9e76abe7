// The one way data becomes a FAR macro string literal. That the host's parser reads every literal
// back byte for byte is checked where the macros are built (tests/search); this pins the form,
// which must also hold for a parser that reads \x as C does (every hex digit that follows).
#include "platform/macro_string.h"

#include <gtest/gtest.h>

namespace skimmer::platform {
namespace {

struct LiteralCase {
    const char* name;
    std::string bytes;
    std::string literal;
};

class MacroStringLiteral : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(MacroStringLiteral, EscapesQuotesBackslashesAndControlBytesOnly) {
    EXPECT_EQ(macroStringLiteral(GetParam().bytes), GetParam().literal);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, MacroStringLiteral,
    ::testing::Values(LiteralCase{"empty", "", "\"\""}, LiteralCase{"plain", "report.doc", "\"report.doc\""},
                      LiteralCase{"quote_and_backslash", "a\\\")", "\"a\\\\\\\")\""},
                      LiteralCase{"controls", std::string("\t\n\x7f\0", 4), "\"\\x09\\x0A\\x7F\\x00\""},
                      LiteralCase{"hex_digit_after_an_escape", "\x01" "ab\x1f" "9g", "\"\\x01\\x61\\x62\\x1F\\x39g\""},
                      LiteralCase{"high_bytes_as_they_are", "\xc3\xa9\xff", "\"\xc3\xa9\xff\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::platform
