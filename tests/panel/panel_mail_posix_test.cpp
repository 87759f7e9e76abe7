// Mail hits in a search folder: dated and sized from the mail store (zeros for a message that is
// gone), and copied out as their message's text then CR LF, through the same overwrite question.
#include <gtest/gtest.h>

#include "far/vk.h"
#include "index/storage/kinds.h"
#include "os/clock.h"
#include "os/maildir.h"
#include "mail/mail_store.h"
#include "search/maildir_mail.h"
#include "tests/index/query/test_index.h"
#include "tests/panel/panel_fixture.h"
#include "tests/support/maildir_maker.h"

namespace skimmer::panel {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kDated = 1057056757;  // Tue, 1 Jul 2003 10:52:37 +0000

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class PanelMail : public test::PanelFixture {
protected:
    PanelMail() {
        mailFolder = skimmer::test::makeMaildir(home.root() / "Mail");
        message = skimmer::test::writeMessage(
            mailFolder, "cur", "1.M1.h:2,S",
            "Subject: Invoice March\nDate: Tue, 1 Jul 2003 10:52:37 +0000\n"
            "Content-Type: text/plain; charset=windows-1252\nContent-Transfer-Encoding: quoted-printable\n\n"
            "Total: 12 =80=\n due\n");
        idx.begin();
        addMail("Invoice March", os::mailEntryId(mailFolder.string(), "1.M1.h"));
        addMail("Invoice Gone", os::mailEntryId(mailFolder.string(), "9.M9.h"));
        idx.bumpGeneration();
        idx.commit();
        idx.buildSidecar();
        auto store = std::make_shared<const mail::MailStore>(std::vector<std::string>{mailFolder.string()});
        panel.env.mailAccess = [store] { return search::MailAccess{.client = search::MaildirMail({.store = store})}; };
        const auto engineEnv = panel.env.engineEnvironment;
        panel.env.engineEnvironment = [this, engineEnv] {
            engines::TEngineEnvironment env = engineEnv();
            env.IndexFile = idx.file();
            return env;
        };
        out = home.root() / "out";
        fs::create_directories(out);
        newSearchFolder("invoice");
        cursorOn("invoice");
        EXPECT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));  // runs the query
    }
    void addMail(const std::string& subject, const os::MailEntryId& id) {
        index::query::test::TestItem mail;
        mail.dir = 0;
        mail.name = mail.display.emplace(subject);
        mail.kind = static_cast<int>(index::store::Kind::Email);
        mail.url = os::mailEntryUrl(id);
        idx.add(mail);
    }
    int copyOut(const std::string& name) {
        PluginPanelItem copied = item(name);
        char dest[FAR_MAX_PATH];
        std::snprintf(dest, sizeof dest, "%s", out.c_str());
        return GetFiles(panel, handle, &copied, 1, 0, dest, OPM_SILENT);
    }

    index::query::test::TestIndex idx;
    fs::path mailFolder, message, out;
};

TEST_F(PanelMail, AHitTakesTheMessagesTimesAndSizeAndAGoneOneZeros) {
    EXPECT_EQ(list(), (std::vector<std::string>{"..", "Invoice March", "Invoice Gone"}));
    const WIN32_FIND_DATA found = item("Invoice March").FindData;
    const uint64_t created = os::fileTimeFromUnix({.seconds = kDated});
    for (const FILETIME& time : {found.ftCreationTime, found.ftLastAccessTime, found.ftLastWriteTime})
        EXPECT_EQ((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime, created);
    EXPECT_EQ(found.nFileSizeLow, fs::file_size(message));
    EXPECT_EQ(found.dwFileAttributes, kAttributeArchive);

    const WIN32_FIND_DATA gone = item("Invoice Gone").FindData;
    EXPECT_EQ(gone.ftCreationTime.dwLowDateTime | gone.ftLastWriteTime.dwHighDateTime, 0u);
    EXPECT_EQ(gone.nFileSizeLow, 0u);
    EXPECT_EQ(gone.dwFileAttributes, kAttributeArchive);
    EXPECT_TRUE(host.callsTo("Message").empty());  // no box per item
}

TEST_F(PanelMail, ACopyIsTheDecodedTextThenCrLfAndAnExistingTargetIsAskedAbout) {
    EXPECT_EQ(copyOut("Invoice March"), 1);
    EXPECT_EQ(readAll(out / "Invoice March"), "Total: 12 \xE2\x82\xAC due\n\r\n");
    EXPECT_TRUE(host.callsTo("Message").empty());

    std::ofstream(out / "Invoice March", std::ios::binary) << "mine";
    host.answerMessage(2);  // skip
    EXPECT_EQ(copyOut("Invoice March"), -1);
    ASSERT_EQ(host.callsTo("Message").size(), 1u);
    EXPECT_EQ(host.callsTo("Message")[0].texts[3], (out / "Invoice March").string());
    EXPECT_EQ(readAll(out / "Invoice March"), "mine");
    host.answerMessage(0);  // replace
    EXPECT_EQ(copyOut("Invoice March"), 1);
    EXPECT_EQ(readAll(out / "Invoice March"), "Total: 12 \xE2\x82\xAC due\n\r\n");
}

TEST_F(PanelMail, AGoneMessageIsReportedOnceWithTheStoresReasonAndNothingIsWritten) {
    list();
    fs::remove(message);  // the listed hit's message goes too
    for (const char* name : {"Invoice Gone", "Invoice March"}) {
        const size_t before = host.callsTo("Message").size();
        host.answerMessage(0);
        EXPECT_EQ(copyOut(name), -1);
        const auto calls = host.callsTo("Message");
        ASSERT_EQ(calls.size(), before + 1) << name;
        std::string shown;
        for (const auto& text : calls.back().texts) shown += text + "|";
        EXPECT_NE(shown.find(name), std::string::npos) << shown;
        EXPECT_NE(shown.find("the mail item "), std::string::npos) << shown;  // the store's reason
        EXPECT_FALSE(fs::exists(out / name));
    }
    EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace skimmer::panel
