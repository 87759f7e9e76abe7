#include "search/mail_items.h"

#include "engines/hit_fields.h"
#include "index/crawl/crawl_options.h"
#include "os/clock.h"

namespace skimmer::search {

MailAccess DefaultMailAccess() {
    return MailAccess{.store = std::make_shared<const mail::MailStore>(index::store::configuredMailRoots()),
                      .command = mail::configuredMailCommand(),
                      .installed = mail::installedProgram};
}

results::TMailDateLookup MailDateLookup(std::shared_ptr<const mail::MailStore> store) {
    return [store = std::move(store)](const results::TSearchResult& hit) -> std::optional<double> {
        if (!store) return std::nullopt;
        const mail::MailLookup lookup = store->find(engines::MailEntryIdFromUrl(hit.UrlW));
        if (!lookup.message) return std::nullopt;
        return os::oleFromUnix(os::UnixTime{lookup.message->created, 0});
    };
}

}  // namespace skimmer::search
