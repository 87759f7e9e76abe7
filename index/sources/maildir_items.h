// Mail in the index: every message of the Maildir folders below the mail roots is an Email item,
// kept in step with the folders by each crawl.
//
// Contract:
// - An item's name is the message's decoded subject ("(no subject)" when it has none), its words
//   (searched beside the name, never shown) the decoded From, its URL "mapi://" + the message's
//   entry id (os/maildir.h), its displayed path the message file, its size the file's, its
//   modified time the Date header (else the file's modification time), its created time the file's
//   birth (else change) time, and attrs kAttrUnread while the message is unseen. The `mail` table
//   keeps the decoded To, the Maildir folder, the Message-ID and the flag letters.
// - Headers are read from the first mail::kMaxHeadBytes of a file only. A message whose file still
//   has the name the index knows is not read again (Maildir messages never change in place; a
//   change of flags renames the file). A message that vanishes between the listing and the read is
//   looked for again under its unique name (it was read or re-flagged meanwhile); one that is gone
//   for good, or that is not a regular file, is counted as skipped. Two files with one unique name
//   in one folder give one item (the first listed).
// - A folder whose cur/ and new/ have not changed since they were last listed in full (their stamps
//   are kept in meta 'mail_folders') is not listed again: its items stay as they are. A folder in
//   which a message could not be read is listed again next time.
// - Mail items no longer found are removed. Everything runs inside the caller's open batch; a
//   failed statement comes back in the result's status.
#pragma once

#include "index/storage/index_writer.h"
#include "mail/mail_header.h"
#include "os/maildir.h"

#include <functional>
#include <string>
#include <vector>

namespace skimmer::index::store {

inline constexpr const char* kNoSubject = "(no subject)";

struct MailSyncOptions {
    std::vector<std::string> roots;
    // Called just before a message file is read; tests rename or delete it there.
    std::function<void(const std::string& path)> beforeRead;
    // Called when a folder is listed; tests count the listings.
    std::function<void(const std::string& folder)> onList;
};

struct MailSyncResult {
    Status status;
    int64_t messages = 0;  // mail items in the index now
    int64_t read = 0;      // message files whose headers were read by this sync
    int64_t skipped = 0;   // files that could not be read, or that repeat a unique name
};

MailSyncResult syncMailItems(IndexWriter& writer, sqlite3* db, const MailSyncOptions& options);

// The Maildir folders that mail is taken from: what a watcher watches to see new mail. With
// `searched`, also the folders in which a new Maildir folder would appear (os::findMaildirs).
std::vector<std::string> mailFolders(const std::vector<std::string>& mailRoots,
                                     std::vector<std::string>* searched = nullptr);

// One message as the index keeps it.
struct MailItem {
    CrawledItem row;
    std::string recipients, folder, messageId, flags;
};

MailItem mailItemFrom(const mail::MessageHead& head, const std::string& folder, const os::MaildirFile& file);

}  // namespace skimmer::index::store
