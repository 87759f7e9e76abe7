// On Linux mail items are Maildir messages, found below the mail roots the index crawls.
#include "index/crawl/crawl_options.h"
#include "search/mail_items.h"
#include "search/maildir_mail.h"

namespace skimmer::search {

MailAccess DefaultMailAccess() {
    return MailAccess{.client = MaildirMail(
                          {.store = std::make_shared<const mail::MailStore>(index::store::configuredMailRoots()),
                           .command = mail::configuredMailCommand(),
                           .installed = mail::installedProgram})};
}

}  // namespace skimmer::search
