// Mail hits: shown by a mail reader through the command line or in the host's viewer, found again
// after they were read, refused with a reason when gone, and dated from the message.
#include "search/open_hit.h"
#include "search/maildir_mail.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engines/hit_fields.h"
#include "far/panel.h"
#include "os/clock.h"
#include "os/process.h"
#include "tests/support/maildir_maker.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> viewed;
int FARAPI recordViewer(const char* file, const char*, int, int, int, int, DWORD) {
    viewed.emplace_back(file);
    return 1;
}

// What a shell makes of a command line: one output line per word, or the shell's own failure.
// The host runs lines with $SHELL (else /bin/sh), so both the POSIX shell and bash are asked.
std::vector<std::string> wordsAShellSees(const char* shellPath, const std::string& line) {
    std::string error;
    auto shell = os::Process::start({.argv = {shellPath, "-c", "printf '%s\\n' " + line}, .captureStdout = true}, error);
    EXPECT_TRUE(shell) << error;
    std::string out;
    while (shell && shell->readOutput(out) != os::ReadState::EndOfFile) shell->waitForEvent(std::chrono::milliseconds(1000));
    std::vector<std::string> words;
    for (size_t start = 0; start < out.size();) {
        const size_t end = out.find('\n', start);
        words.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

class MailHitTest : public ::testing::Test {
protected:
    MailHitTest() {
        viewed.clear();
        tables.copyFrom(host.startupInfo());
        tables.StartupInfo.Viewer = recordViewer;
        context.host = &tables;
        services.context = &context;
        // A folder name and a subject that a shell would act on.
        folder = skimmer::test::makeMaildir(home.root() / "Mail's $(touch pwned1)");
        file = skimmer::test::writeMessage(folder, "new", "17.M1.h",
                                           "Subject: $(touch pwned2) `touch pwned3`\nMessage-ID: <ab'c$(x)@h>\n"
                                           "Date: Tue, 1 Jul 2003 10:52:37 +0200\n\n");
        id = os::mailEntryId(folder.string(), "17.M1.h");
        maildir.store = std::make_shared<const mail::MailStore>(std::vector<std::string>{folder.string()});
        hit.Name = "$(touch pwned2) `touch pwned3`";
        hit.UrlW = hit.Url = hit.Path = os::mailEntryUrl(id);
        hit.MailEntryId = engines::MailEntryIdFromUrl(hit.UrlW);
    }
    void open() {
        host.answerMessage(-1);  // the notice while it opens
        services.mail = MailAccess{.client = MaildirMail(maildir)};
        OpenHit(services, hit);
    }

    skimmer::test::TempHome home;
    test::TestHost host;
    platform::HostTables tables;
    platform::PluginContext context;
    HitServices services;
    MaildirMailOptions maildir;
    fs::path folder, file;
    os::MailEntryId id;
    results::TSearchResult hit;
};

TEST_F(MailHitTest, TheEnginesEntryIdIsTheStoresId) {
    EXPECT_EQ(hit.MailEntryId, os::mailEntryIdHex(id));
    EXPECT_EQ(hit.MailEntryId.size(), 48u);
}

struct ReaderCase {
    const char* name;
    const char* installed;  // nullptr: no mail reader
};

class MailReader : public MailHitTest, public ::testing::WithParamInterface<ReaderCase> {};

TEST_P(MailReader, GetsTheFolderAndAnInertPatternOrTheViewerGetsTheFile) {
    const char* reader = GetParam().installed;
    maildir.installed = [reader](std::string_view program) { return reader && program == reader; };
    open();
    const auto lines = host.callsTo("Control");
    if (!reader) {
        EXPECT_EQ(viewed, std::vector<std::string>{file.string()});
        EXPECT_TRUE(lines.empty());
        return;
    }
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].args.at(1), FCTL_SETCMDLINE);
    for (const char* shellPath : {"/bin/sh", "/bin/bash"})
        EXPECT_EQ(wordsAShellSees(shellPath, lines[0].texts.at(0)),
                  (std::vector<std::string>{reader, "-f", folder.string(), "-e",
                                            "push \"<limit>~i ab.c..x.@h<enter><display-message>\""}))
            << shellPath;
    for (const char* name : {"pwned1", "pwned2", "pwned3"}) EXPECT_FALSE(fs::exists(fs::current_path() / name)) << name;
    EXPECT_TRUE(viewed.empty());
}

INSTANTIATE_TEST_SUITE_P(Installed, MailReader,
                         ::testing::Values(ReaderCase{"neomutt", "neomutt"}, ReaderCase{"mutt", "mutt"},
                                           ReaderCase{"none", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    const char* command;
    bool deleted;
    const char* said;
};

class MailFailure : public MailHitTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MailFailure, IsSaidInTheErrorBoxAndNothingRuns) {
    const FailureCase& c = GetParam();
    maildir.command = c.command;
    if (c.deleted) fs::remove(file);
    host.answerMessage(0);  // the error box
    open();
    const auto messages = host.callsTo("Message");
    ASSERT_EQ(messages.size(), 2u);
    bool said = false;
    for (const auto& text : messages[1].texts) said = said || text.find(c.said) != std::string::npos;
    EXPECT_TRUE(said) << c.said;
    EXPECT_TRUE(host.callsTo("Control").empty());
    EXPECT_TRUE(viewed.empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, MailFailure,
                         ::testing::Values(FailureCase{"gone", "", true, "was not found"},
                                           FailureCase{"badPlaceholder", "reader %q", false, "SKIMMER_MAIL_COMMAND"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailHitTest, DateComesFromTheMessageOnceAndAGoneMessageHasNone) {
    const results::THitDateSources sources{.Files = nullptr, .MailDate = MailDateLookup(MaildirMail(maildir)), .NoDateText = "--"};
    const std::optional<double> expected = os::oleFromUnix({1057049557, 0});
    ASSERT_TRUE(expected);
    const std::string date = results::HitDateText(hit, sources);
    EXPECT_NE(date, "--");
    EXPECT_DOUBLE_EQ(hit.Date, *expected);
    results::TSearchResult gone = hit;
    gone.DateKnown = false;
    fs::remove(file);
    EXPECT_EQ(results::HitDateText(hit, sources), date) << "the stored date is reused once the file is gone";
    EXPECT_EQ(results::HitDateText(gone, sources), "--");
    EXPECT_EQ(results::HitTimeText(gone, sources), "--");
    EXPECT_FALSE(gone.DateKnown);
}

}  // namespace
}  // namespace skimmer::search
