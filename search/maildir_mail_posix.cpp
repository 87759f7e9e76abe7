#include "search/maildir_mail.h"

#include "mail/mail_body.h"
#include "os/clock.h"

namespace skimmer::search {

namespace {

class MaildirClient final : public MailClient {
public:
    explicit MaildirClient(MaildirMailOptions options) : options_(std::move(options)) {}

    MailItemLookup find(const std::string& entryId) const override {
        mail::MailLookup found = lookup(entryId);
        if (!found.message) return {.error = std::move(found.error)};
        const int64_t created = found.message->created;
        return {.facts = MailItemFacts{.created = os::oleFromUnix(os::UnixTime{created, 0}),
                                       .createdUtc = os::fileTimeFromUnix({.seconds = created}),
                                       .size = found.message->size}};
    }

    MailItemBody body(const std::string& entryId, os::FileSystem& fs) const override {
        mail::MailLookup found = lookup(entryId);
        if (!found.message) return {.error = std::move(found.error)};
        mail::MailBodyRead read = mail::readMailBody(fs, found.message->file);
        if (!read.error.empty()) return {.error = std::move(read.error)};
        MailItemBody body{.text = std::move(read.text)};
        if (read.truncated)
            body.cut = "Only the first " + std::to_string(mail::kMaxMailBodyRead >> 20) + " MiB of the message were copied";
        return body;
    }

    MailItemShow show(const std::string& entryId) const override {
        mail::MailLookup found = lookup(entryId);
        if (!found.message) return {.error = std::move(found.error)};
        mail::MailShowCommand command = mail::showCommand(*found.message, options_.command, options_.installed);
        if (!command.error.empty())
            return {.error = std::string("the mail command (") + mail::kMailCommandVariable +
                             ") cannot be used: " + command.error};
        return {.argv = std::move(command.argv), .viewerFile = std::move(command.viewerFile)};
    }

private:
    mail::MailLookup lookup(const std::string& entryId) const {
        if (!options_.store) return {.error = "there is no mail store to find the mail item " + entryId};
        return options_.store->find(entryId);
    }

    MaildirMailOptions options_;
};

}  // namespace

std::shared_ptr<const MailClient> MaildirMail(MaildirMailOptions options) {
    return std::make_shared<const MaildirClient>(std::move(options));
}

}  // namespace skimmer::search
