// Linux's mail client: the Maildir store over the mail roots, and the command that shows a message
// (a mail reader that takes the terminal, else the host's viewer on the message file).
//
// Contract: `MaildirMail` answers MailClient (search/mail_items.h) from the store: a message's
// creation time is its Date header (else its file's time, as the index shows it), its size the
// file's, its body the decoded text of mail::readMailBody (cut at mail::kMaxMailBodyRead, which
// `cut` then says); it is shown by the configured command (mail::kMailCommandVariable), else neomutt
// or mutt when `installed` says so, else in the viewer. A bad configured command is an error, never
// replaced by another. Built on Linux only (maildir_mail_posix.cpp).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "mail/mail_store.h"
#include "search/mail_items.h"

namespace skimmer::search {

struct MaildirMailOptions {
    std::shared_ptr<const mail::MailStore> store;  // null: every item is "not found"
    std::string command;                          // the configured show command; empty: defaults
    std::function<bool(std::string_view program)> installed;
};

std::shared_ptr<const MailClient> MaildirMail(MaildirMailOptions options);

}  // namespace skimmer::search
