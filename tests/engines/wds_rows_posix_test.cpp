// The index engine's row mapping against hand-made row tables: what a record set could hand back,
// including cells of the wrong type, missing columns and sizes beyond 32 bits.
#include <gtest/gtest.h>

#include "engines/wds_engine.h"
#include "os/clock.h"
#include "index/query/connection.h"

namespace skimmer::engines {
namespace {

using index::query::RowTable;
using index::query::Variant;

struct Row {
    Variant name, size, kind, url, path, target;
};

RowTable table(const std::vector<Row>& rows, size_t columns = 6) {
    RowTable t(columns, rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const Variant* cells[] = {&rows[r].name, &rows[r].size, &rows[r].kind, &rows[r].url, &rows[r].path, &rows[r].target};
        for (size_t c = 0; c < columns; ++c) t.cell(c, r) = *cells[c];
    }
    return t;
}

Variant text(const char* s) { return Variant::ofText(s); }

struct RowCase {
    const char* name;
    Row row;
    size_t columns;
    results::TSearchResult expected;  // the fields checked below
};

class WdsRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(WdsRows, EachColumnFillsItsFields) {
    auto batch = results::makeSearchResults();
    // Slot 0 holds an earlier hit: nothing of it may survive.
    batch->Items[0].Name = "stale";
    batch->Items[0].Size = 999;
    batch->Items[0].MailEntryId = "STALE";
    batch->Items[0].Target = "stale";
    batch->Finished = true;
    WdsFillRows(table({GetParam().row}, GetParam().columns), *batch);
    EXPECT_EQ(batch->Count, 1);
    EXPECT_TRUE(batch->Finished) << "Finished is the fetch's to set";
    const results::TSearchResult& r = batch->Items[0];
    const results::TSearchResult& e = GetParam().expected;
    EXPECT_EQ(r.Name, e.Name);
    EXPECT_EQ(r.Size, e.Size);
    EXPECT_EQ(r.Kind, e.Kind);
    EXPECT_EQ(r.Url, e.Url);
    EXPECT_EQ(r.Path, e.Path);
    EXPECT_EQ(r.Folder, e.Folder);
    EXPECT_EQ(r.Title, e.Title);
    EXPECT_EQ(r.Target, e.Target);
    EXPECT_EQ(r.Ext, e.Ext);
    EXPECT_EQ(r.MailEntryId, e.MailEntryId);
}

results::TSearchResult hit(std::string name, int32_t size, std::string kind, std::string url, std::string path,
                           std::string folder, std::string title, std::string target, std::string ext) {
    results::TSearchResult r;
    r.Name = std::move(name);
    r.Size = size;
    r.Kind = std::move(kind);
    r.Url = std::move(url);
    r.Path = std::move(path);
    r.Folder = std::move(folder);
    r.Title = std::move(title);
    r.Target = std::move(target);
    r.Ext = std::move(ext);
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cells, WdsRows,
    ::testing::Values(
        RowCase{"file", {text("a b.txt"), Variant::ofInteger(12), text("Document"), text("file:/d/a b.txt"),
                         text("/d/a b.txt"), text("/d/a b.txt")}, 6,
                hit("a b.txt", 12, "Document", "file:/d/a b.txt", "/d/a b.txt", "/d/", "a b.txt", "/d/a b.txt", ".txt")},
        RowCase{"size_low_32_bits", {text("big"), Variant::ofInteger(0x1'0000'0005), text("Video"), text("file:/v/big"),
                                     text("/v/big"), text("/v/big")}, 6,
                hit("big", 5, "Video", "file:/v/big", "/v/big", "/v/", "big", "/v/big", "")},
        RowCase{"bookmark", {text("Example"), Variant{}, text("Favorite"), text("https://example.org/a.html"),
                             text("Example site"), text("Example site")}, 6,
                hit("Example", 0, "Favorite", "https://example.org/a.html", "https://example.org/a.html", "",
                    "Example site", "Example site", ".html")},
        RowCase{"wrong_types_leave_fields_clear", {Variant::ofInteger(3), text("12"), Variant::ofDate(1.5),
                                                   text("file:/x/y.z"), Variant{}, Variant::ofInteger(1)}, 6,
                hit("y.z", 0, "", "file:/x/y.z", "/x/y.z", "/x/", "y.z", "", ".z")},
        RowCase{"fewer_columns", {text("n"), Variant::ofInteger(1), text("Program"), text("app://n")}, 4,
                hit("n", 1, "Program", "app://n", "app://n", "", "", "", "")},
        RowCase{"mail", {text("Re: hi"), Variant::ofInteger(10), text("Email"), text("mapi://s/\xEA\xB0\x80\xEA\xB0\x81"),
                         text("Re: hi"), text("Re: hi")}, 6,
                [] {
                    auto r = hit("Re: hi", 10, "Email", "mapi://s/\xEA\xB0\x80\xEA\xB0\x81", "mapi://s/\xEA\xB0\x80\xEA\xB0\x81",
                                 "", "Re: hi", "Re: hi", "");
                    r.MailEntryId = "0001";
                    return r;
                }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WdsRowsBatch, RowsFillSlotsFromZeroAndCountSaysHowMany) {
    auto batch = results::makeSearchResults();
    std::vector<Row> rows;
    for (int i = 0; i < 5; ++i) {
        const std::string path = "/r/" + std::to_string(i);
        rows.push_back({text(""), Variant::ofInteger(i), text("Document"), Variant::ofText("file:" + path), Variant::ofText(path),
                        Variant::ofText(path)});
    }
    WdsFillRows(table(rows), *batch);
    ASSERT_EQ(batch->Count, 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(batch->Items[static_cast<size_t>(i)].Path, "/r/" + std::to_string(i));
    WdsFillRows(table({}), *batch);
    EXPECT_EQ(batch->Count, 0);
}

// ---- the disk entry of columns 1 and 6 to 8 -----------------------------------------------------

struct EntryCase {
    const char* name;
    const char* url;
    const char* kind;
    Variant modified, created, attributes;
    bool entry;  // whether the hit carries the index's entry
};

class WdsEntries : public ::testing::TestWithParam<EntryCase> {};

TEST_P(WdsEntries, AFileHitThatIsNoLinkCarriesTheIndexsEntry) {
    const EntryCase& c = GetParam();
    RowTable t(9, 1);
    t.cell(0, 0) = text("a.txt");
    t.cell(1, 0) = Variant::ofInteger(5000000000);
    t.cell(2, 0) = text(c.kind);
    t.cell(3, 0) = text(c.url);
    t.cell(4, 0) = text("/d/a.txt");
    t.cell(6, 0) = c.modified;
    t.cell(7, 0) = c.created;
    t.cell(8, 0) = c.attributes;
    auto batch = results::makeSearchResults();
    batch->Items[0].Entry = results::THitEntry{.Size = 1};  // an earlier hit's: it must not survive
    WdsFillRows(t, *batch);
    const results::TSearchResult& r = batch->Items[0];
    ASSERT_EQ(r.Entry.has_value(), c.entry);
    if (!c.entry) return;
    // The cells' OLE dates are local time: the entry holds them as FILETIME ticks, UTC.
    const auto ticks = [](double ole) { return os::fileTimeFromUnix(*os::unixFromOle(ole)); };
    EXPECT_EQ(r.Entry->Modified, ticks(c.modified.date));
    EXPECT_EQ(r.Entry->Created, ticks(c.created.date));
    EXPECT_EQ(r.Entry->Attributes, static_cast<uint32_t>(c.attributes.integer));
    EXPECT_EQ(r.Entry->Size, 5000000000u) << "all 64 bits";
}

const Variant kMay = Variant::ofDate(45420.5);
const Variant kJune = Variant::ofDate(45450.25);

INSTANTIATE_TEST_SUITE_P(
    Rows, WdsEntries,
    ::testing::Values(EntryCase{"file", "file:/d/a.txt", "Document", kMay, kJune, Variant::ofInteger(0x23), true},
                      EntryCase{"folder", "file:/d", "Folder", kMay, kJune, Variant::ofInteger(0x10), true},
                      EntryCase{"no_dates", "file:/d/a.txt", "Document", Variant{}, kJune, Variant::ofInteger(0), false},
                      EntryCase{"no_attributes", "file:/d/a.txt", "Document", kMay, kJune, Variant{}, false},
                      EntryCase{"mail", "mapi://x/y", "Email", kMay, kJune, Variant::ofInteger(0), false},
                      EntryCase{"symbolic_link", "file:/d/a.txt", "Link", kMay, kJune, Variant::ofInteger(0x400), false},
                      EntryCase{"shortcut", "file:/d/a.lnk", "Link", kMay, kJune, Variant::ofInteger(0), false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::engines
