// Mail hits in the search window: the mail store over the index's mail roots, the command that
// shows a message, and the date of a mail hit.
//
// Contract:
// - `DefaultMailAccess` finds the mail roots as the index does (the conventional places and the
//   index's config file), takes the show command from the environment (mail::kMailCommandVariable)
//   and asks $PATH what is installed. Nothing is listed until a mail hit is opened or dated.
// - `MailDateLookup` answers a hit's creation time from the store as a local OLE date; none when the
//   store cannot find the message (the line then shows the no-date text).
// - Nothing here throws; the store's lookups are safe from the search thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "mail/mail_store.h"
#include "results/hit_date.h"

namespace skimmer::search {

struct MailAccess {
    std::shared_ptr<const mail::MailStore> store;  // null: mail items cannot be shown
    std::string command;                          // the configured show command; empty: defaults
    std::function<bool(std::string_view program)> installed;
};

MailAccess DefaultMailAccess();

results::TMailDateLookup MailDateLookup(std::shared_ptr<const mail::MailStore> store);

}  // namespace skimmer::search
