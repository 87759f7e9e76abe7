#include "mail/mail_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "os/process.h"
#include "tests/support/maildir_maker.h"
#include "tests/support/temp_home.h"

namespace skimmer::mail {
namespace {

namespace fs = std::filesystem;

std::string hexOf(const fs::path& folder, const std::string& name) {
    return os::mailEntryIdHex(os::mailEntryId(folder.string(), os::maildirUniquePart(name)));
}

class MailStoreTest : public ::testing::Test {
protected:
    MailStoreTest() { test::makeMaildir(inbox()); }
    fs::path inbox() const { return home_.root() / "Maildir"; }
    test::TempHome home_;
};

TEST_F(MailStoreTest, FindsAMessageAfterItWasReadAndReflagged) {
    const std::string body = "Subject: s\nDate: Tue, 1 Jul 2003 10:52:37 +0200\nMessage-ID: <m1@x>\n\nhello\n";
    test::writeMessage(inbox(), "new", "17.M1.host", body);
    MailStore store({inbox().string()});
    const std::string id = hexOf(inbox(), "17.M1.host");
    MailLookup found = store.find(id);
    ASSERT_TRUE(found.message) << found.error;
    EXPECT_EQ(found.message->file, (inbox() / "new" / "17.M1.host").string());
    EXPECT_EQ(found.message->folder, inbox().string());
    EXPECT_EQ(found.message->messageId, "m1@x");
    EXPECT_EQ(found.message->created, 1057049557);
    EXPECT_EQ(found.message->size, static_cast<int64_t>(body.size()));
    fs::rename(inbox() / "new" / "17.M1.host", inbox() / "cur" / "17.M1.host:2,S");
    found = store.find(id);
    ASSERT_TRUE(found.message) << found.error;
    EXPECT_EQ(found.message->file, (inbox() / "cur" / "17.M1.host:2,S").string());
    fs::remove(inbox() / "cur" / "17.M1.host:2,S");
    found = store.find(id);
    EXPECT_FALSE(found.message);
    EXPECT_NE(found.error.find("not found"), std::string::npos);
}

TEST_F(MailStoreTest, DuplicateMessageIdsStayTwoMessagesAndANewFolderIsFound) {
    test::writeMessage(inbox(), "cur", "1.a:2,S", "Message-ID: <same@x>\n\none\n");
    MailStore store({inbox().string()});
    const MailLookup first = store.find(hexOf(inbox(), "1.a"));
    // A folder made after the store first looked.
    test::writeMessage(test::makeMaildir(inbox() / ".Sent"), "cur", "2.b:2,S", "Message-ID: <same@x>\n\ntwo!\n");
    const MailLookup second = store.find(hexOf(inbox() / ".Sent", "2.b"));
    ASSERT_TRUE(first.message && second.message);
    EXPECT_NE(first.message->file, second.message->file);
    EXPECT_EQ(second.message->size, 27);  // its own file, not the first one's 26 bytes
}

TEST_F(MailStoreTest, ADateLessMessageIsDatedByItsFileAndABadIdIsRefused) {
    const fs::path file = test::writeMessage(inbox(), "cur", "3.c:2,", "no header here\n");
    fs::last_write_time(file, fs::file_time_type::clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{1600000000}}));
    const MailLookup found = MailStore({inbox().string()}).find(hexOf(inbox(), "3.c"));
    ASSERT_TRUE(found.message) << found.error;
    EXPECT_EQ(found.message->created, 1600000000);
    EXPECT_EQ(found.message->messageId, "");
    EXPECT_NE(MailStore({inbox().string()}).find("not-an-id").error.find("not a mail entry id"), std::string::npos);
}

struct CommandCase {
    const char* name;
    std::string configured;
    std::vector<std::string> installed;
    std::vector<std::string> argv;  // empty: the viewer on the file
    bool error = false;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class ShowCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ShowCommand, IsAnArgumentVector) {
    const MailMessage message{.file = "/m/cur/1:2,S", .folder = "/m", .messageId = "a.b+c$(id)'\"`x`@h", .created = 0, .size = 1};
    const CommandCase& c = GetParam();
    const MailShowCommand command = showCommand(message, c.configured, [&](std::string_view program) {
        return std::find(c.installed.begin(), c.installed.end(), program) != c.installed.end();
    });
    EXPECT_EQ(command.argv, c.argv);
    EXPECT_EQ(!command.error.empty(), c.error) << command.error;
    EXPECT_EQ(command.viewerFile, c.argv.empty() && !c.error ? message.file : "");
}

INSTANTIATE_TEST_SUITE_P(
    ConfiguredAndDefaults, ShowCommand,
    ::testing::Values(
        CommandCase{"neomuttFirst", "", {"mutt", "neomutt"},
                    {"neomutt", "-f", "/m", "-e", "push \"<limit>~i a.b.c..id....x.@h<enter><display-message>\""}},
        CommandCase{"mutt", "", {"mutt"}, {"mutt", "-f", "/m", "-e", "push \"<limit>~i a.b.c..id....x.@h<enter><display-message>\""}},
        CommandCase{"noReaderMeansViewer", "", {}, {}},
        CommandCase{"configured", "aerc-open --folder=%d \"%f\" 100%%", {"mutt"}, {"aerc-open", "--folder=/m", "/m/cur/1:2,S", "100%"}},
        CommandCase{"patternPlaceholder", "grep -e %i", {}, {"grep", "-e", "a.b.c..id....x.@h"}},
        CommandCase{"unknownPlaceholder", "view %x", {}, {}, true},
        CommandCase{"danglingPercent", "view %", {}, {}, true},
        CommandCase{"unbalancedQuote", "view \"%f", {}, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailStoreTest, HostileNamesAndIdsRunNothing) {
    const fs::path folder = test::makeMaildir(home_.root() / "$(touch pwned1) 'q\"`touch pwned2`");
    const MailMessage message{.file = (folder / "cur" / "1").string(), .folder = folder.string(),
                              .messageId = "$(touch pwned3)`touch pwned4`@x", .created = 0, .size = 0};
    const MailShowCommand command = showCommand(message, "printf %%s\\n %d %i", nullptr);
    ASSERT_TRUE(command.error.empty()) << command.error;
    std::string error;
    auto child = os::Process::start(os::LaunchSpec{.argv = command.argv, .workingDirectory = home_.root().string(), .captureStdout = true}, error);
    ASSERT_TRUE(child) << error;
    std::string out;
    while (child->readOutput(out) != os::ReadState::EndOfFile) child->waitForEvent(std::chrono::milliseconds(1000));
    EXPECT_TRUE(child->waitUntilEnded().success());
    EXPECT_EQ(out, folder.string() + "\n" + mailIdPattern(message.messageId) + "\n");
    for (const char* name : {"pwned1", "pwned2", "pwned3", "pwned4"}) EXPECT_FALSE(fs::exists(home_.root() / name)) << name;
}

TEST(InstalledOnPath, FindsOnlyExecutableFiles) {
    EXPECT_TRUE(installedOnPath("sh", "/nonexistent::/bin:/usr/bin"));
    EXPECT_FALSE(installedOnPath("no-such-program-here", "/bin:/usr/bin"));
    EXPECT_FALSE(installedOnPath("sh", ""));
}

}  // namespace
}  // namespace skimmer::mail
