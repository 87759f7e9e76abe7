#include "search/mail_items.h"

#include "engines/hit_fields.h"

namespace skimmer::search {

results::TMailDateLookup MailDateLookup(std::shared_ptr<const MailClient> client) {
    return [client = std::move(client)](const results::TSearchResult& hit) -> std::optional<double> {
        if (!client) return std::nullopt;
        const MailItemLookup lookup = client->find(engines::MailEntryIdFromUrl(hit.UrlW));
        if (!lookup.facts) return std::nullopt;
        return lookup.facts->created;
    };
}

}  // namespace skimmer::search
