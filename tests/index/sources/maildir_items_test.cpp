#include "index/sources/maildir_items.h"

#include "os/maildir.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/index/crawl/tool_run.h"
#include "tests/support/maildir_maker.h"
#include "tests/support/temp_home.h"

#include <filesystem>
#include <fstream>

namespace skimmer::index::store::test {
namespace {

namespace fs = std::filesystem;

// A mail item as a test compares it: its row and its `mail` facts.
struct MailRow {
    std::string name, words, url, recipients, folder, messageId, flags;
    int64_t size = 0, mtime = 0;
    int attrs = 0;
};

std::map<std::string, MailRow> mailRows(const std::string& dbPath) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(dbPath.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    Status status;
    Stmt stmt = prepare(db.get(),
                        "SELECT display, name, words, url, recipients, folder, message_id, flags, size, mtime, attrs "
                        "FROM items JOIN mail ON mail.item = items.id",
                        status);
    EXPECT_TRUE(stmt) << status.error;
    std::map<std::string, MailRow> rows;
    while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW) {
        MailRow& r = rows[columnBytes(stmt.get(), 0)];
        r = {columnBytes(stmt.get(), 1), columnBytes(stmt.get(), 2), columnBytes(stmt.get(), 3),
             columnBytes(stmt.get(), 4), columnBytes(stmt.get(), 5), columnBytes(stmt.get(), 6),
             columnBytes(stmt.get(), 7), sqlite3_column_int64(stmt.get(), 8), sqlite3_column_int64(stmt.get(), 9),
             sqlite3_column_int(stmt.get(), 10)};
    }
    EXPECT_EQ(queryInt(db.get(), "SELECT count(*) FROM items WHERE kind = 9").value_or(-1),
              static_cast<int64_t>(rows.size()))
        << "every mail item has its facts";
    return rows;
}

class MailIndexTest : public ::testing::Test {
protected:
    MailIndexTest() {
        fs::create_directories(files());
        skimmer::test::makeMaildir(inbox());
        options_ = rootsOnly({files().string()});
        options_.mailRoots = {(home_.root() / "Maildir").string()};
    }
    fs::path files() const { return home_.root() / "files"; }
    fs::path inbox() const { return home_.root() / "Maildir"; }
    std::string db() const { return (home_.root() / "index.sqlite").string(); }
    Crawled crawl() {
        Crawled crawled = crawlInto(db(), options_);
        EXPECT_TRUE(crawled.result.status) << crawled.result.status.error;
        return crawled;
    }
    std::string url(const fs::path& folder, const std::string& unique) const {
        return os::mailEntryUrl(os::mailEntryId(folder.string(), unique));
    }

    skimmer::test::TempHome home_;
    CrawlOptions options_;
};

struct MessageCase {
    const char* name;
    const char* sub;
    const char* file;
    std::string bytes;
    std::string subject, sender;
    int attrs;
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class MailMessages : public MailIndexTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(MailMessages, BecomeEmailItemsNamedByTheirDecodedSubject) {
    const MessageCase& c = GetParam();
    const fs::path path = skimmer::test::writeMessage(inbox(), c.sub, c.file, c.bytes);
    fs::last_write_time(path, fs::file_time_type::clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{1600000000}}));
    EXPECT_EQ(crawl().result.stats.mail, 1);
    const auto rows = mailRows(db());
    ASSERT_EQ(rows.count(path.string()), 1u);
    const MailRow& row = rows.at(path.string());
    EXPECT_EQ(row.name, c.subject);
    EXPECT_EQ(row.words, c.sender);
    EXPECT_EQ(row.attrs, c.attrs);
    EXPECT_EQ(row.size, static_cast<int64_t>(c.bytes.size()));
    EXPECT_EQ(row.url, url(inbox(), std::string(os::maildirUniquePart(c.file))));
    EXPECT_EQ(row.folder, inbox().string());
    const bool dated = c.bytes.find("Date:") != std::string::npos;
    EXPECT_EQ(row.mtime, dated ? 1057049557 : 1600000000) << "the Date header, else the file's time";
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, MailMessages,
    ::testing::Values(
        MessageCase{"charsets", "new", "1.a.h",
                    "Subject: =?KOI8-R?B?8NLJ18XU?= =?ISO-8859-1?Q?caf=E9?=\nFrom: =?utf-8?b?SsO2cmc=?= <j@x>\n"
                    "Date: Tue, 1 Jul 2003 10:52:37 +0200\n\nbody",
                    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82" "caf\xC3\xA9", "J\xC3\xB6rg <j@x>", kAttrUnread},
        MessageCase{"folded", "cur", "2.b.h:2,S", "Subject: a long\r\n  subject\r\nFrom: a@x\r\n\r\n", "a long subject", "a@x", 0},
        MessageCase{"noHeaders", "cur", "3.c.h:2,RS", "Hello, this is only a body.\n", kNoSubject, "", 0},
        MessageCase{"nul", "cur", "4.d.h:2,", std::string("Subject: a\0b\n\n", 14), "a b", "", kAttrUnread},
        MessageCase{"unknownCharset", "new", "5.e.h", "Subject: =?x-nope?Q?hi?=\n\n", "=?x-nope?Q?hi?=", "", kAttrUnread}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailIndexTest, AMessageKeepsItsIdWhenReadAndReflaggedAndLeavesWithItsFile) {
    skimmer::test::writeMessage(inbox(), "new", "17.M1.h", "Subject: s\n\n");
    const Crawled first = crawl();
    fs::rename(inbox() / "new" / "17.M1.h", inbox() / "cur" / "17.M1.h:2,FS");
    const Crawled second = crawl();
    EXPECT_GT(second.generation, first.generation);
    const auto rows = mailRows(db());
    ASSERT_EQ(rows.size(), 1u);
    const MailRow& row = rows.begin()->second;
    EXPECT_EQ(rows.begin()->first, (inbox() / "cur" / "17.M1.h:2,FS").string());
    EXPECT_EQ(row.url, url(inbox(), "17.M1.h"));
    EXPECT_EQ(row.attrs, 0);
    EXPECT_EQ(row.flags, "FS");
    EXPECT_EQ(crawl().generation, second.generation) << "an unchanged folder writes nothing";
    fs::remove(inbox() / "cur" / "17.M1.h:2,FS");
    EXPECT_EQ(crawl().result.stats.mail, 0);
    EXPECT_TRUE(mailRows(db()).empty());
}

TEST_F(MailIndexTest, DuplicatesSubfoldersAndHugeBodies) {
    skimmer::test::writeMessage(inbox(), "cur", "1.a:2,S", "Message-ID: <same@x>\nSubject: one\n\n");
    const fs::path sent = skimmer::test::makeMaildir(inbox() / ".Sent");
    skimmer::test::writeMessage(sent, "cur", "2.b:2,S", "Message-ID: <same@x>\nSubject: two\n\n");
    skimmer::test::writeMessage(sent, "new", "2.b", "Message-ID: <same@x>\nSubject: two again\n\n");
    const fs::path big = skimmer::test::writeMessage(inbox(), "new", "3.c", "Subject: big\n\n");
    fs::resize_file(big, 100u << 20);
    const Crawled crawled = crawl();
    EXPECT_EQ(crawled.result.stats.mail, 3);
    EXPECT_EQ(crawled.result.stats.skipped, 1) << "one unique name twice in one folder is one message";
    const auto rows = mailRows(db());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.at(big.string()).size, int64_t{100} << 20);
    EXPECT_EQ(rows.at(big.string()).name, "big");
    EXPECT_EQ(rows.at((sent / "cur" / "2.b:2,S").string()).messageId, "same@x");
    EXPECT_NE(rows.at((sent / "cur" / "2.b:2,S").string()).url, rows.at((inbox() / "cur" / "1.a:2,S").string()).url);
}

// Runs one mail sync inside a batch, with `beforeRead` disturbing the folder.
MailSyncResult syncWith(const std::string& dbPath, const MailSyncOptions& options) {
    OpenedIndex index = openIndexForWriting(dbPath);
    IndexWriter writer(index.db.get());
    EXPECT_TRUE(writer.begin());
    const MailSyncResult result = syncMailItems(writer, index.db.get(), options);
    EXPECT_TRUE(writer.commit({}));
    return result;
}

TEST_F(MailIndexTest, AMessageRenamedOrDeletedMidCrawlIsFoundAgainOrSkipped) {
    skimmer::test::writeMessage(inbox(), "new", "1.moved", "Subject: moved\n\n");
    skimmer::test::writeMessage(inbox(), "new", "2.deleted", "Subject: deleted\n\n");
    const MailSyncResult result = syncWith(db(), {.roots = options_.mailRoots, .beforeRead = [&](const std::string& path) {
        if (path.ends_with("1.moved")) fs::rename(path, inbox() / "cur" / "1.moved:2,S");
        if (path.ends_with("2.deleted")) fs::remove(path);
    }});
    EXPECT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.messages, 1);
    EXPECT_EQ(result.skipped, 1);
    const auto rows = mailRows(db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.begin()->first, (inbox() / "cur" / "1.moved:2,S").string());
    EXPECT_EQ(rows.begin()->second.url, url(inbox(), "1.moved"));
}

TEST_F(MailIndexTest, OnlyChangedFoldersAreListedAgain) {
    const fs::path sent = skimmer::test::makeMaildir(inbox() / ".Sent");
    skimmer::test::writeMessage(inbox(), "cur", "1.a:2,S", "Subject: one\n\n");
    skimmer::test::writeMessage(sent, "cur", "2.b:2,S", "Subject: two\n\n");
    std::vector<std::string> listed;
    const MailSyncOptions options{.roots = options_.mailRoots, .onList = [&](const std::string& f) { listed.push_back(f); }};
    EXPECT_EQ(syncWith(db(), options).messages, 2);
    EXPECT_EQ(listed.size(), 2u);
    listed.clear();
    const MailSyncResult settled = syncWith(db(), options);
    EXPECT_EQ(settled.messages, 2) << "the items of unlisted folders stay";
    EXPECT_TRUE(listed.empty());
    skimmer::test::writeMessage(sent, "new", "3.c", "Subject: three\n\n");
    const MailSyncResult changed = syncWith(db(), options);
    EXPECT_EQ(listed, std::vector<std::string>{sent.string()});
    EXPECT_EQ(changed.messages, 3);
    EXPECT_EQ(mailRows(db()).size(), 3u);
    fs::remove_all(sent);
    listed.clear();
    EXPECT_EQ(syncWith(db(), options).messages, 1) << "a folder that went away takes its items along";
    EXPECT_TRUE(listed.empty()) << "the folder left is unchanged";
    EXPECT_EQ(mailRows(db()).size(), 1u);
}

TEST_F(MailIndexTest, MailRootsComeFromTheConventionalPlacesAndTheConfigFile) {
    const CrawlOptions defaults = defaultCrawlOptions([&](const char* name) -> const char* {
        return std::string_view(name) == "HOME" ? "/h" : nullptr;
    });
    EXPECT_EQ(defaults.mailRoots, os::conventionalMailRoots("/h", "/h/.local/share"));
    const fs::path conf = home_.root() / "index.conf";
    std::ofstream(conf) << "maildir = /srv/mail/\nmaildir = relative\n";
    CrawlOptions options = defaults;
    const std::vector<std::string> problems = loadIndexConfig(conf.string(), options, true);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(":2: a mail root must be an absolute folder"), std::string::npos) << problems[0];
    EXPECT_EQ(options.mailRoots.back(), "/srv/mail");
    EXPECT_EQ(mailFolders(options_.mailRoots), std::vector<std::string>{inbox().string()});
}

struct FindCase {
    const char* name;
    const char* query;
    bool found;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

class MailSearch : public MailIndexTest, public ::testing::WithParamInterface<std::tuple<bool, FindCase>> {};

// Through the tool, with the name sidecar and without it (answered from SQLite alone): the same.
TEST_P(MailSearch, AWordMatchesSubjectOrSender) {
    const auto& [storeOnly, c] = GetParam();
    skimmer::test::writeMessage(inbox(), "new", "1.x", "Subject: Quarterly invoice\nFrom: =?utf-8?q?J=C3=B6rg?= Zeller <jz@example.org>\n\n");
    fs::create_directories(home_.config() / "skimmer");
    std::ofstream(home_.config() / "skimmer" / "index.conf") << "maildir = " << inbox().string() << "\n";
    std::vector<std::string> build = {"--root", files().string(), "--db", db()};
    if (storeOnly) build.push_back("--store-only");
    ASSERT_EQ(runTool(build).exitCode, 0);
    const ToolRun query = runTool({"--db", db(), "--query", c.query, "--kind", "email"});
    EXPECT_EQ(query.exitCode, c.found ? 0 : 1) << query.err;
    EXPECT_EQ(query.out, c.found ? url(inbox(), "1.x") + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    SubjectAndSender, MailSearch,
    ::testing::Combine(::testing::Bool(),
                       ::testing::Values(FindCase{"subjectWord", "invoice", true}, FindCase{"senderWord", "zeller", true},
                                         FindCase{"senderAccented", "j\xC3\xB6rg", true},
                                         FindCase{"bothParts", "quarterly jz@example", true},
                                         FindCase{"phraseAcrossTheParts", "\"invoice j\xC3\xB6rg\"", false},
                                         FindCase{"neither", "lunch", false})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param) ? "storeOnly_" : "sidecar_") + std::get<1>(info.param).name;
    });

}  // namespace
}  // namespace skimmer::index::store::test
