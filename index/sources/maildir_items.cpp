#include "index/sources/maildir_items.h"

#include "index/storage/kinds.h"
#include "index/storage/schema.h"
#include "mail/encoded_words.h"

#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

namespace skimmer::index::store {

namespace {

constexpr int kEmail = static_cast<int>(Kind::Email);

// What the index knows of a mail item: enough to tell that its file was not renamed.
struct KnownMail {
    int64_t id = 0;
    std::string display;
    bool kept = false;
};

// meta 'mail_folders': one "stamp<TAB>path" line per folder listed in full.
std::unordered_map<std::string, std::string> parseStamps(const std::string& text) {
    std::unordered_map<std::string, std::string> stamps;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        if (const size_t tab = line.find('\t'); tab != std::string_view::npos)
            stamps.emplace(std::string(line.substr(tab + 1)), std::string(line.substr(0, tab)));
        start = end + 1;
    }
    return stamps;
}

class MailSync {
public:
    MailSync(IndexWriter& writer, sqlite3* db, const MailSyncOptions& options)
        : writer_(writer), db_(db), options_(options) {}

    MailSyncResult run() {
        const std::string stored = readMetaText(db_, kMetaMailFolders).value_or("");
        stamps_ = parseStamps(stored);
        const std::vector<std::string> folders = os::findMaildirs(options_.roots);
        std::vector<std::string> stamps;
        for (const std::string& folder : folders) stamps.push_back(os::maildirStamp(folder));
        if (nothingChanged(folders, stamps)) {
            // The common refresh: not one mail item is read or written.
            result_.messages = queryInt(db_, "SELECT count(*) FROM mail").value_or(0);
        } else if (prepareStatements() && loadKnown()) {
            for (size_t i = 0; i < folders.size(); ++i) syncFolder(folders[i], stamps[i]);
            removeGone();
            if (writer_.ok() && result_.status && newStamps_ != stored) writer_.setMeta(kMetaMailFolders, newStamps_);
        }
        if (result_.status && !writer_.ok()) result_.status = writer_.status();
        return result_;
    }

private:
    bool fail(const char* what) {
        if (result_.status) result_.status = sqliteFailure(db_, what);
        return false;
    }

    bool prepareStatements() {
        selectKnown_ = prepare(db_,
                               "SELECT items.id, items.url, items.display, mail.folder FROM items "
                               "LEFT JOIN mail ON mail.item = items.id WHERE items.dir = 0 AND items.kind = ?1",
                               result_.status);
        if (result_.status)
            upsertMail_ = prepare(db_,
                                  "INSERT OR REPLACE INTO mail(item, sender, recipients, folder, message_id, flags) "
                                  "VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
                                  result_.status);
        if (result_.status) deleteMail_ = prepare(db_, "DELETE FROM mail WHERE item = ?1", result_.status);
        return result_.status.ok;
    }

    bool loadKnown() {
        sqlite3_stmt* stmt = selectKnown_.get();
        sqlite3_bind_int(stmt, 1, kEmail);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::string url = columnBytes(stmt, 1);
            if (!url.starts_with("mapi://")) continue;  // an Email item of another source
            KnownMail& known = known_[std::move(url)];
            known = KnownMail{.id = sqlite3_column_int64(stmt, 0), .display = columnBytes(stmt, 2)};
            byFolder_[columnBytes(stmt, 3)].push_back(&known);  // map nodes never move
        }
        return rc == SQLITE_DONE || fail("reading the mail items");
    }

    // The same folders as at the last sync, each with the stamp it had when listed in full.
    bool nothingChanged(const std::vector<std::string>& folders, const std::vector<std::string>& stamps) const {
        if (folders.size() != stamps_.size()) return false;
        for (size_t i = 0; i < folders.size(); ++i) {
            const auto stored = stamps_.find(folders[i]);
            if (stamps[i].empty() || stored == stamps_.end() || stored->second != stamps[i]) return false;
        }
        return true;
    }

    // `stamp` is taken before the listing: a change made while it runs shows as a new stamp next time.
    void syncFolder(const std::string& folder, const std::string& stamp) {
        if (!stamp.empty()) {
            const auto stored = stamps_.find(folder);
            if (stored != stamps_.end() && stored->second == stamp) {
                keepFolder(folder, stamp);
                return;
            }
        }
        if (options_.onList) options_.onList(folder);
        const int64_t unreadableBefore = unreadable_;
        listFolder(folder);
        if (!stamp.empty() && unreadable_ == unreadableBefore) newStamps_ += stamp + "\t" + folder + "\n";
    }

    void keepFolder(const std::string& folder, const std::string& stamp) {
        for (KnownMail* known : byFolder_[folder]) known->kept = true;
        result_.messages += static_cast<int64_t>(byFolder_[folder].size());
        newStamps_ += stamp + "\t" + folder + "\n";
    }

    void listFolder(const std::string& folder) {
        std::vector<os::MaildirFile> files;
        os::listMaildir(folder, [&](const os::MaildirFile& file) { files.push_back(file); });
        std::unordered_set<std::string> urls;
        for (const os::MaildirFile& file : files) {
            if (!writer_.ok() || !result_.status) return;
            std::string url = os::mailEntryUrl(os::mailEntryId(folder, os::maildirUniquePart(file.name)));
            if (!urls.insert(url).second) {
                ++result_.skipped;  // the same message twice (a copy in new/ and in cur/)
                continue;
            }
            const auto found = known_.find(url);
            if (found != known_.end() && found->second.display == file.path) {
                found->second.kept = true;
                ++result_.messages;
                continue;
            }
            store(folder, file, found == known_.end() ? nullptr : &found->second);
        }
    }

    // Reads the message (looking for it again when it moved since the listing) and writes it.
    void store(const std::string& folder, const os::MaildirFile& listed, KnownMail* known) {
        os::MaildirFile file = listed;
        if (options_.beforeRead) options_.beforeRead(file.path);
        mail::MessageHead head = mail::readMessageHead(file.path);
        if (!head.ok() && findMoved(folder, file)) head = mail::readMessageHead(file.path);
        if (!head.ok()) {
            ++result_.skipped, ++unreadable_;
            return;
        }
        ++result_.read;
        const MailItem item = mailItemFrom(head, folder, file);
        int64_t id;
        if (known) {
            id = known->id;
            known->kept = true;
            writer_.updateItem(id, item.row);
        } else {
            id = writer_.insertItem(0, item.row);
        }
        if (writer_.ok()) writeMailRow(id, item);
        ++result_.messages;
    }

    bool findMoved(const std::string& folder, os::MaildirFile& file) {
        const std::string_view unique = os::maildirUniquePart(file.name);
        bool found = false;
        os::listMaildir(folder, [&](const os::MaildirFile& now) {
            if (!found && os::maildirUniquePart(now.name) == unique && now.path != file.path) file = now, found = true;
        });
        return found;
    }

    void writeMailRow(int64_t id, const MailItem& item) {
        sqlite3_stmt* stmt = upsertMail_.get();
        sqlite3_reset(stmt);
        sqlite3_bind_int64(stmt, 1, id);
        bindBlob(stmt, 2, item.row.words);
        bindBlob(stmt, 3, item.recipients);
        bindBlob(stmt, 4, item.folder);
        bindBlob(stmt, 5, item.messageId);
        bindText(stmt, 6, item.flags);
        if (sqlite3_step(stmt) != SQLITE_DONE) fail("writing a mail item");
    }

    void removeGone() {
        for (const auto& [url, mail] : known_) {
            if (mail.kept || !writer_.ok() || !result_.status) continue;
            writer_.deleteItem(mail.id);
            sqlite3_stmt* stmt = deleteMail_.get();
            sqlite3_reset(stmt);
            sqlite3_bind_int64(stmt, 1, mail.id);
            if (sqlite3_step(stmt) != SQLITE_DONE) fail("removing a mail item");
        }
    }

    IndexWriter& writer_;
    sqlite3* db_;
    const MailSyncOptions& options_;
    MailSyncResult result_;
    Stmt selectKnown_, upsertMail_, deleteMail_;
    std::unordered_map<std::string, KnownMail> known_;  // by URL
    std::unordered_map<std::string, std::vector<KnownMail*>> byFolder_;
    std::unordered_map<std::string, std::string> stamps_;  // folder -> stamp, as stored
    std::string newStamps_;
    int64_t unreadable_ = 0;  // messages that could not be read: their folder is listed again next time
};

}  // namespace

MailItem mailItemFrom(const mail::MessageHead& head, const std::string& folder, const os::MaildirFile& file) {
    const mail::MailHeaders headers = mail::parseMailHeaders(head.bytes);
    MailItem item;
    item.row.name = mail::decodeHeaderText(headers.subject);
    if (item.row.name.empty()) item.row.name = kNoSubject;
    item.row.kind = kEmail;
    item.row.size = head.size;
    item.row.mtime = mail::parseMailDate(headers.date).value_or(head.mtime);
    item.row.ctime = head.ctime;
    item.row.attrs = os::maildirUnread(file) ? kAttrUnread : 0;
    item.row.url = os::mailEntryUrl(os::mailEntryId(folder, os::maildirUniquePart(file.name)));
    item.row.display = file.path;
    item.row.words = mail::decodeHeaderText(headers.from);
    item.recipients = mail::decodeHeaderText(headers.to);
    item.folder = folder;
    item.messageId = mail::bareMessageId(headers.messageId);
    item.flags = std::string(os::maildirFlags(file.name));
    return item;
}

MailSyncResult syncMailItems(IndexWriter& writer, sqlite3* db, const MailSyncOptions& options) {
    return MailSync(writer, db, options).run();
}

std::vector<std::string> mailFolders(const std::vector<std::string>& mailRoots, std::vector<std::string>* searched) {
    return os::findMaildirs(mailRoots, searched);
}

}  // namespace skimmer::index::store
