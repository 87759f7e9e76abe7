// Mail hits: what the search window and the panel ask of the mail client about a mail item, by
// the entry id the engine derived from the hit's address, and which client answers on each system.
//
// Contract:
// - `MailClient` is the one seam between the plug-in and mail: search/ and panel/ never name the
//   client behind it. On Linux it is the Maildir store with its show command (search/maildir_mail.h,
//   over mail/); on Windows the mail client's automation object (os/outlook.h). No call throws;
//   every "cannot" comes back as a one-line reason for the caller to say.
// - `DefaultMailAccess` gives this system's client. Nothing is listed, started or asked until an
//   item is first looked up, shown or copied.
// - `MailDateLookup` answers a hit's creation time as a local OLE date; none when the client cannot
//   find the item (the line then shows the no-date text), or when there is no client.
// - A client's lookups are safe from the search thread as well as from FAR's main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"
#include "results/hit_date.h"

namespace skimmer::search {

// When the item was made and how large it is.
struct MailItemFacts {
    std::optional<double> created;  // local OLE date; none when the client's date cannot be placed
    uint64_t createdUtc = 0;        // the same moment as a FILETIME (UTC); 0 when unknown
    int64_t size = 0;               // bytes
};

struct MailItemLookup {
    std::optional<MailItemFacts> facts;
    std::string error;  // why there are none
};

// The item's text, as a copy of the item writes it.
struct MailItemBody {
    std::string text;
    std::string cut;    // not empty: only part of the text came, and this says so
    std::string error;  // not empty: there is no text, and this says why
};

// How the item is shown. All three empty: the client has shown it itself.
struct MailItemShow {
    std::vector<std::string> argv;  // a mail reader to run through the host's command line
    std::string viewerFile;         // else a file for the host's viewer
    std::string error;              // else why it cannot be shown
};

class MailClient {
public:
    virtual ~MailClient() = default;
    virtual MailItemLookup find(const std::string& entryId) const = 0;
    // `fs` is the file system a file-based client reads through (tests give their own).
    virtual MailItemBody body(const std::string& entryId, os::FileSystem& fs) const = 0;
    virtual MailItemShow show(const std::string& entryId) const = 0;
};

struct MailAccess {
    std::shared_ptr<const MailClient> client;  // null: mail items cannot be shown, dated or copied
};

MailAccess DefaultMailAccess();  // mail_items_posix.cpp, mail_items_win32.cpp

results::TMailDateLookup MailDateLookup(std::shared_ptr<const MailClient> client);

}  // namespace skimmer::search
