// The mail of the Maildir folders below the mail roots, as a source of the crawl (item_source.h;
// maildir_items.h tells what an item holds). A message arrives in new/ and moves to cur/ (renamed
// when its flags change), so those two are watched; and so is every folder the search for Maildir
// folders looked through, where a new one (a Maildir++ ".Work", an account's INBOX) would appear.
#pragma once

#include "index/sources/item_source.h"

#include <string>
#include <vector>

namespace skimmer::index::store {

class MailSource final : public ItemSource {
public:
    explicit MailSource(std::vector<std::string> mailRoots) : mailRoots_(std::move(mailRoots)) {}
    std::string_view name() const override { return "mail"; }
    bool watchesMore() const override { return true; }
    SourceOutcome sync(const SourceRun& run) const override;
    std::vector<std::string> watched() const override;

private:
    std::vector<std::string> mailRoots_;
};

}  // namespace skimmer::index::store
