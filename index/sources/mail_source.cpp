#include "index/sources/mail_source.h"

#include "index/sources/maildir_items.h"

namespace skimmer::index::store {

SourceOutcome MailSource::sync(const SourceRun& run) const {
    const MailSyncResult mail = syncMailItems(run.writer, run.db, MailSyncOptions{.roots = mailRoots_});
    return {.status = mail.status, .items = mail.messages, .skipped = mail.skipped, .notes = {}};
}

std::vector<std::string> MailSource::watched() const {
    std::vector<std::string> searched;
    std::vector<std::string> paths;
    for (const std::string& folder : mailFolders(mailRoots_, &searched))
        for (const char* part : {"/new", "/cur"}) paths.push_back(folder + part);
    paths.insert(paths.end(), std::make_move_iterator(searched.begin()), std::make_move_iterator(searched.end()));
    return paths;
}

}  // namespace skimmer::index::store
