// Mail hits on Windows, where the mail client (absent under Wine) is reached by automation: the
// window's and the panel's seam gives a reason naming the client for showing, finding and copying
// an item, a date of none, and opening a mail hit shows the opening notice then that reason in the
// error box, with nothing else run.
#include "search/mail_items.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engines/hit_fields.h"
#include "far/panel.h"
#include "lng/messages.h"
#include "search/open_hit.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

constexpr const char* kEntryId = "00000000A1B2C3D4E5F60718293A4B5C6D7E8F9012345678";

bool namesTheClient(const std::string& error) { return error.find("mail client") != std::string::npos; }

TEST(MailClientAbsent, ShowFindAndBodyEachSayTheClientCannotBeReached) {
    const MailAccess mail = DefaultMailAccess();
    ASSERT_TRUE(mail.client);
    const MailItemShow shown = mail.client->show(kEntryId);
    EXPECT_TRUE(namesTheClient(shown.error)) << shown.error;
    EXPECT_TRUE(shown.argv.empty());
    EXPECT_TRUE(shown.viewerFile.empty());
    const MailItemLookup found = mail.client->find(kEntryId);
    EXPECT_FALSE(found.facts);
    EXPECT_TRUE(namesTheClient(found.error)) << found.error;
    const MailItemBody body = mail.client->body(kEntryId, os::realFileSystem());
    EXPECT_TRUE(body.text.empty());
    EXPECT_TRUE(namesTheClient(body.error)) << body.error;
}

TEST(MailClientAbsent, AMailHitHasNoDate) {
    results::TSearchResult hit;
    hit.Url = hit.UrlW = "mapi://{S-1-5-21}/Mailbox/Inbox/item";
    EXPECT_FALSE(MailDateLookup(DefaultMailAccess().client)(hit));
}

TEST(MailClientAbsent, OpeningAMailHitShowsTheNoticeThenTheReason) {
    test::TestHost host;
    platform::HostTables tables;
    tables.copyFrom(host.startupInfo());
    platform::PluginContext context;
    context.host = &tables;
    context.shellOpen = [](std::string_view target) -> os::OpenResult {
        ADD_FAILURE() << "a mail hit never reaches the shell: " << target;
        return {};
    };
    HitServices services{.context = &context, .mail = DefaultMailAccess()};
    results::TSearchResult hit;
    hit.Name = "Invoice March";
    hit.MailEntryId = kEntryId;
    host.answerMessage(-1);  // the notice while it opens
    host.answerMessage(0);   // the error box
    OpenHit(services, hit);
    const auto messages = host.callsTo("Message");
    ASSERT_EQ(messages.size(), 2u);
    const std::string notice = platform::GetMsgStr(tables, lng::kMsgOpening);
    EXPECT_NE(std::find(messages[0].texts.begin(), messages[0].texts.end(), notice), messages[0].texts.end());
    bool said = false;
    for (const auto& text : messages[1].texts) said = said || namesTheClient(text);
    EXPECT_TRUE(said);
    EXPECT_TRUE(host.callsTo("Control").empty()) << "nothing is put on the command line";
    EXPECT_TRUE(host.callsTo("Viewer").empty());
}

}  // namespace
}  // namespace skimmer::search
