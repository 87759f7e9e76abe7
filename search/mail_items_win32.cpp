// On Windows mail items are the mail client's, reached through its automation object by entry id.
#include "os/outlook.h"
#include "search/mail_items.h"

namespace skimmer::search {

namespace {

class OutlookClient final : public MailClient {
public:
    MailItemLookup find(const std::string& entryId) const override {
        std::string error;
        const std::optional<os::OutlookItemFacts> facts = os::outlookItemFacts(entryId, error);
        if (!facts) return {.error = std::move(error)};
        return {.facts = MailItemFacts{.created = facts->created, .createdUtc = facts->createdUtc, .size = facts->size}};
    }

    // The client keeps the text; there is no file to read, so `fs` has no part in it.
    MailItemBody body(const std::string& entryId, os::FileSystem& /*fs*/) const override {
        std::string error;
        std::optional<std::string> text = os::outlookItemBody(entryId, error);
        if (!text) return {.error = std::move(error)};
        return {.text = *std::move(text)};
    }

    MailItemShow show(const std::string& entryId) const override { return {.error = os::outlookDisplay(entryId)}; }
};

}  // namespace

MailAccess DefaultMailAccess() { return MailAccess{.client = std::make_shared<const OutlookClient>()}; }

}  // namespace skimmer::search
