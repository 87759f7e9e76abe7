// The query language: what each construct becomes, and that malformed input of every sort is
// searched literally or matches nothing, and says which.
#include "index/query/matcher.h"
#include "index/query/query_parser.h"
#include "index/query/query_values.h"
#include "index/storage/kinds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace skimmer::index::query {
namespace {

constexpr int64_t kNow = 1'705'000'000;  // Thursday 2024-01-11 19:06:40 UTC

using Status = ParsedQuery::Status;

// A compact rendering of a tree: and(...), or(...), not(...), name:x, kind:mask, ...
std::string show(const Node& node) {
    auto list = [&](const char* op) {
        std::string out = std::string(op) + "(";
        for (size_t i = 0; i < node.children.size(); ++i) out += (i ? " " : "") + show(node.children[i]);
        return out + ")";
    };
    switch (node.op) {
        case Node::Op::True: return "true";
        case Node::Op::False: return "false";
        case Node::Op::And: return list("and");
        case Node::Op::Or: return list("or");
        case Node::Op::Not: return list("not");
        case Node::Op::Term: break;
    }
    const Term& t = node.term;
    switch (t.field) {
        case Field::Name: return "name:" + t.text;
        case Field::Path: return "path:" + t.text;
        case Field::Folder: return std::string(t.anchored ? "in:" : "folder:") + t.text;
        case Field::Ext: return "ext:" + t.text;
        case Field::Kind: return "kind:" + std::to_string(t.kindMask) + (t.filesOnly ? "f" : "");
        case Field::Size: return "size:" + std::to_string(t.lo) + ".." + std::to_string(t.hi);
        case Field::Date: return "date:" + std::to_string(t.lo) + ".." + std::to_string(t.hi);
    }
    return "?";
}

std::string parsed(std::string_view text, Status expected = Status::Ok) {
    const ParsedQuery q = parseQuery(text, kNow);
    EXPECT_EQ(q.status, expected) << text << ": " << q.message;
    return show(q.root);
}

class QueryLanguage : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(QueryLanguage, WordsPhrasesAndOperators) {
    EXPECT_EQ(parsed("Invoice"), "name:invoice");
    EXPECT_EQ(parsed("a b"), "and(name:a name:b)");
    EXPECT_EQ(parsed("\"a b\" c"), "and(name:a b name:c)");
    EXPECT_EQ(parsed("a OR b c"), "or(name:a and(name:b name:c))");
    EXPECT_EQ(parsed("a AND b"), "and(name:a name:b)");
    EXPECT_EQ(parsed("a or b"), "and(name:a name:or name:b)");  // operators are upper case only
    EXPECT_EQ(parsed("-a b"), "and(not(name:a) name:b)");
    EXPECT_EQ(parsed("NOT (a OR b)"), "not(or(name:a name:b))");
    EXPECT_EQ(parsed("-\"x y\""), "not(name:x y)");
    EXPECT_EQ(parsed("a-b file(1).txt"), "and(name:a-b name:file(1).txt)");
    EXPECT_EQ(parsed("(file(1).txt)"), "name:file(1).txt");
    EXPECT_EQ(parsed("docs/Plan"), "path:docs/plan");
    EXPECT_EQ(parsed("12:30 foo:bar"), "and(name:12:30 name:foo:bar)");  // unknown property: a word
    EXPECT_EQ(parsed("ΣΟΦΊΑ Ёлка"), "and(name:σοφία name:ёлка)");
}

TEST_F(QueryLanguage, PropertyRestrictions) {
    const uint32_t program = 1u << static_cast<int>(store::Kind::Program), folder = 1u << static_cast<int>(store::Kind::Folder);
    EXPECT_EQ(parsed("x System.Kind:program System.Kind:(NOT folder)"),
              "and(name:x kind:" + std::to_string(program) + " not(kind:" + std::to_string(folder) + "))");
    EXPECT_EQ(parsed("kind:Programs"), "kind:" + std::to_string(program));
    EXPECT_EQ(parsed("kind:pictures"), "kind:" + std::to_string(1u << static_cast<int>(store::Kind::Picture)));
    EXPECT_EQ(parsed("kind:favorites"), "kind:" + std::to_string((1u << 8) | (1u << 23)));
    EXPECT_EQ(parsed("kind:files"), "kind:" + std::to_string(((1u << store::kKindCount) - 1) & ~(1u << 6) & ~(1u << 9)) + "f");
    EXPECT_EQ(parsed("ext:MP3 ext:.pdf System.FileExtension:*.gz"), "and(ext:mp3 ext:pdf ext:gz)");
    EXPECT_EQ(parsed("ext:(mp3 OR ogg)"), "or(ext:mp3 ext:ogg)");
    EXPECT_EQ(parsed("name:\"Big File\""), "name:big file");
    EXPECT_EQ(parsed("folder:/srv/data/ path:x/Y"), "and(in:/srv/data path:x/y)");
    EXPECT_EQ(parsed("folder:music"), "folder:music");
    const ParsedQuery unknownKind = parseQuery("a kind:spaceships", kNow);
    EXPECT_EQ(show(unknownKind.root), "and(name:a false)");
    ASSERT_EQ(unknownKind.notes.size(), 1u);
}

TEST_F(QueryLanguage, SizesInUnitsRangesAndNames) {
    EXPECT_EQ(parsed("size:>10MB"), "size:10485761..9223372036854775807");
    EXPECT_EQ(parsed("size:<1k"), "size:-9223372036854775808..1023");
    EXPECT_EQ(parsed("size:>=2kb"), "size:2048..9223372036854775807");
    EXPECT_EQ(parsed("size:1MB..5MB"), "size:1048576..5242880");
    EXPECT_EQ(parsed("size:1.5k"), "size:1536..1536");
    EXPECT_EQ(parsed("size:empty"), "size:0..0");
    EXPECT_EQ(parsed("size:tiny"), "size:1..16384");
}

TEST_F(QueryLanguage, DatesAbsoluteRelativeAndRanges) {
    EXPECT_EQ(parsed("date:2024-01-11"), "date:1704931200..1705017600");
    EXPECT_EQ(parsed("modified:>2024-01-11"), "date:1705017600..9223372036854775807");
    EXPECT_EQ(parsed("date:<2024-01-11"), "date:-9223372036854775808..1704931200");
    EXPECT_EQ(parsed("date:2024-01-01..2024-01-02"), "date:1704067200..1704240000");
    EXPECT_EQ(parsed("date:today"), "date:1704931200..1705017600");
    EXPECT_EQ(parsed("date:yesterday"), "date:1704844800..1704931200");
    EXPECT_EQ(parsed("date:this week"), "date:1704672000..1705276800");
    EXPECT_EQ(parsed("date:lastweek"), "date:1704067200..1704672000");
    EXPECT_EQ(parsed("date:\"this month\""), "date:1704067200..1706745600");
    EXPECT_EQ(parsed("date:last month"), "date:1701388800..1704067200");
    EXPECT_EQ(parsed("date:this year"), "date:1704067200..1735689600");
    EXPECT_EQ(parsed("System.DateModified:last year"), "date:1672531200..1704067200");
}

TEST_F(QueryLanguage, MalformedInputIsSearchedLiterallyOrMatchesNothing) {
    EXPECT_EQ(parsed("(a b", Status::Literal), "and(name:(a name:b)");
    EXPECT_EQ(parsed("a b)", Status::Ok), "and(name:a name:b))");  // ')' outside a group is text
    EXPECT_EQ(parsed("\"open phrase", Status::Literal), "and(name:\"open name:phrase)");
    EXPECT_EQ(parsed("NOT", Status::Literal), "name:not");
    EXPECT_EQ(parsed("a OR", Status::Literal), "and(name:a name:or)");
    EXPECT_EQ(parsed("OR a", Status::Literal), "and(name:or name:a)");
    EXPECT_EQ(parsed("a AND", Status::Literal), "and(name:a name:and)");
    EXPECT_EQ(parsed("()", Status::Literal), "name:()");
    EXPECT_EQ(parsed("size:>lots", Status::Literal), "name:size:>lots");
    EXPECT_EQ(parsed("date:2024-13-01", Status::Literal), "name:date:2024-13-01");
    EXPECT_EQ(parsed("kind:", Status::Literal), "name:kind:");
    EXPECT_EQ(parsed("", Status::Nothing), "false");
    EXPECT_EQ(parsed(" \t\n", Status::Nothing), "false");
    EXPECT_EQ(parsed(std::string(kMaxQueryBytes + 1, 'a'), Status::Nothing), "false");
    EXPECT_EQ(parsed(std::string(200, '(') + "a", Status::Literal), "name:" + std::string(200, '(') + "a");
    EXPECT_EQ(parsed(std::string("a\0b", 3)), "false");  // no name holds a NUL byte
    const ParsedQuery literal = parseQuery("(a", kNow);
    EXPECT_NE(literal.message.find("malformed"), std::string::npos);
}

struct DateCase {
    const char* text;
    bool exists;
};

class CalendarDates : public QueryLanguage, public ::testing::WithParamInterface<DateCase> {};

// A day that exists is one day long from its midnight; one that does not is malformed (searched as
// typed), never rolled over into the next month. Each end of a range is checked the same way.
TEST_P(CalendarDates, OnlyDaysOfTheCalendarAreDates) {
    const DateCase& c = GetParam();
    const ParsedQuery q = parseQuery(std::string("date:") + c.text, kNow);
    if (!c.exists) {
        EXPECT_EQ(q.status, Status::Literal) << c.text;
        const ParsedQuery range = parseQuery(std::string("date:2000-01-01..") + c.text, kNow);
        EXPECT_EQ(range.status, Status::Literal) << c.text;
        return;
    }
    ASSERT_EQ(q.status, Status::Ok) << c.text << ": " << q.message;
    std::tm tm{};
    ASSERT_NE(strptime(c.text, "%Y-%m-%d", &tm), nullptr);
    const int64_t midnight = static_cast<int64_t>(timegm(&tm));
    EXPECT_EQ(show(q.root), "date:" + std::to_string(midnight) + ".." + std::to_string(midnight + 86400)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CalendarDates,
    ::testing::Values(DateCase{"2024-02-29", true}, DateCase{"2024-02-30", false}, DateCase{"2023-02-29", false},
                      DateCase{"2023-02-28", true}, DateCase{"2000-02-29", true}, DateCase{"1900-02-29", false},
                      DateCase{"2100-02-29", false}, DateCase{"2024-04-30", true}, DateCase{"2024-04-31", false},
                      DateCase{"2024-06-31", false}, DateCase{"2024-09-31", false}, DateCase{"2024-11-31", false},
                      DateCase{"2024-12-31", true}, DateCase{"2024-01-31", true}, DateCase{"2024-01-32", false},
                      DateCase{"2024-00-10", false}, DateCase{"2024-13-01", false}, DateCase{"2024-05-00", false},
                      DateCase{"2024-1-01", false}, DateCase{"2024-01-01T25:00", false}));

struct MalformedCase {
    const char* text;
    const char* searched;  // the literal words, as the fallback searches them
};

class DoubledOrEmptyOperands : public QueryLanguage, public ::testing::WithParamInterface<MalformedCase> {};

// Every operator that lacks an operand, and every empty phrase, is malformed the same way.
TEST_P(DoubledOrEmptyOperands, AreMalformedAndSearchedAsTyped) {
    EXPECT_EQ(parsed(GetParam().text, Status::Literal), GetParam().searched);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DoubledOrEmptyOperands,
    ::testing::Values(MalformedCase{"x AND AND y", "and(name:x name:and name:and name:y)"},
                      MalformedCase{"x OR OR y", "and(name:x name:or name:or name:y)"},
                      MalformedCase{"x AND OR y", "and(name:x name:and name:or name:y)"},
                      MalformedCase{"\"\"", "name:\"\""},
                      MalformedCase{"\"\" x", "and(name:\"\" name:x)"},
                      MalformedCase{"name:\"\"", "name:name:\"\""},
                      MalformedCase{"x OR \"\"", "and(name:x name:or name:\"\")"}));

TEST(KindWords, CoverTheEngineWordsAndPlurals) {
    EXPECT_TRUE(kindFilterFor("program"));
    EXPECT_TRUE(kindFilterFor("EMAIL"));
    EXPECT_TRUE(kindFilterFor("documents"));
    EXPECT_TRUE(kindFilterFor("music"));
    EXPECT_FALSE(kindFilterFor("spaceships"));
    EXPECT_FALSE(kindFilterFor("s"));
    EXPECT_TRUE(kindFilterFor("files")->filesOnly);
}

}  // namespace
}  // namespace skimmer::index::query
