#include "index/query/hit_stream.h"

#include "index/query/doc_streams.h"
#include "index/query/item_facts.h"
#include "index/query/kind_filter.h"
#include "index/query/matcher.h"
#include "index/query/overlay_hits.h"
#include "index/query/safecall_error.h"
#include "index/storage/item_ids.h"
#include "index/storage/item_scan.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

namespace skimmer::index::query {
namespace {

using namespace sidecar;

class EmptyHits final : public HitStream {
public:
    std::optional<int64_t> next() override { return std::nullopt; }
};

// The cheapest source of candidates for the required words: the intersection of the (up to
// kMaxLists) shortest stored gram lists, else (every gram dense) a scan for the longest word.
// A word of one or two bytes has a list of its own; a longer one is served by the lists of its
// 2-byte grams and, where two dense ones meet, of the 3-byte gram they make: a superset of its
// hits, as every candidate is checked against its name anyway. `nothing` when some gram occurs
// nowhere (a 3-byte gram of two dense ones has no entry exactly then): no item can match.
constexpr size_t kMaxLists = 3;

struct Driver {
    bool nothing = false;
    std::vector<GramList> lists;  // shortest first
    std::string scanWord;
};

// False when the gram occurs nowhere.
bool considerList(const GramList& list, Driver& driver) {
    if (list.count == 0) return false;
    const bool known = std::any_of(driver.lists.begin(), driver.lists.end(),
                                   [&](const GramList& other) { return other.bytes == list.bytes; });
    if (!list.dense && !known) driver.lists.push_back(list);
    return true;
}

void considerWord(NameIndex& index, std::string_view word, Driver& driver) {
    const size_t n = std::min<size_t>(word.size(), 2);
    const auto type = static_cast<GramType>(n);
    bool denseBefore = false;  // the 2-byte gram one byte back is dense
    for (size_t i = 0; i + n <= word.size(); ++i) {
        const GramList list = index.gram(type, word.substr(i, n));
        const bool held = considerList(list, driver) &&
                          (!(denseBefore && list.dense) || considerList(index.gram(kContains3, word.substr(i - 1, 3)), driver));
        if (!held) {
            driver.nothing = true;
            return;
        }
        denseBefore = n == 2 && list.dense;
    }
    if (word.size() > driver.scanWord.size()) driver.scanWord = std::string(word);
}

void keepShortest(std::vector<GramList>& lists, size_t count) {
    std::sort(lists.begin(), lists.end(), [](const GramList& a, const GramList& b) { return a.count < b.count; });
    if (lists.size() > count) lists.resize(count);
}

// starts_with, with the first byte tested inline: most names are told apart by it.
bool beginsWith(std::string_view name, std::string_view lead) {
    return !name.empty() && name[0] == lead[0] && name.starts_with(lead);
}

// A document met through a word's list costs a varint and a facts byte; through a kind that
// keeps its names, a varint and the next name in a row; through another kind, a walk to its name
// (up to kNameSample names): that many times more.
constexpr uint64_t kWalkedKindDocCost = 4;

// The kinds in `kinds` as lists to merge, and what walking them costs; none when one of them is
// dense (so common that it is not stored: the words are then the cheaper side anyway).
std::optional<std::vector<KindList>> kindDocs(NameIndex& index, KindMask kinds, uint64_t& cost) {
    std::vector<KindList> lists;
    cost = 0;
    for (const KindList& kind : index.kindLists()) {
        if (!kindIn(kinds, kind.code)) continue;
        if (kind.list.dense) return std::nullopt;
        lists.push_back(kind);
        cost += kind.list.count * (kind.names.bytes != nullptr ? 1 : kWalkedKindDocCost);
    }
    return lists;
}

class IndexedHits final : public HitStream {
public:
    IndexedHits(sqlite3* db, NameIndex& index, const Node& root, std::vector<std::string_view> words, KindMask kinds,
                const std::vector<int64_t>* staleFolders)
        : index_(index), root_(root), rows_(db), facts_(index, rows_),
          lead_(words.empty() ? std::string() : std::string(words[0])), kinds_(kinds) {
        if (staleFolders) stale_.insert(staleFolders->begin(), staleFolders->end());
        for (std::string_view word : words) {
            considerWord(index, word, driver_);
            if (driver_.nothing) return;
        }
        keepShortest(driver_.lists, kMaxLists);
        if (kinds_ != kEveryKind) planByKinds();
        if (!lead_.empty()) openPrefixPass();
        else {
            pass_ = Pass::Contains;
            stream_ = openEveryDoc();
        }
    }

    std::optional<int64_t> next() override {
        if (driver_.nothing) return std::nullopt;
        uint32_t doc;
        while (stream_) {
            while (stream_->next(doc))
                if (accept(doc)) return static_cast<int64_t>(index_.itemId(doc));
            if (pass_ == Pass::Prefix) openContainsPass();
            else stream_.reset();
        }
        return std::nullopt;
    }

private:
    // Walks the allowed kinds' documents instead of the words' candidates when they are fewer.
    void planByKinds() {
        uint64_t cost = 0;
        auto lists = kindDocs(index_, kinds_, cost);
        if (!lists) return;
        const uint64_t words = driver_.lists.empty() ? index_.docCount() : driver_.lists.front().count;
        if (cost > words) return;
        kindLists_ = std::move(*lists);
        byKinds_ = true;
    }

    std::unique_ptr<DocStream> openEveryDoc() {
        if (byKinds_) return std::make_unique<KindStream>(index_, kindLists_);
        return std::make_unique<AllDocsStream>(index_.docCount());
    }

    void openPrefixPass() {
        pass_ = Pass::Prefix;
        if (byKinds_) {
            stream_ = openEveryDoc();  // one walk: the other hits are kept for the second pass
            return;
        }
        const size_t n = std::min<size_t>(lead_.size(), 2);  // longer leads: checked per name
        const GramList starts = index_.gram(static_cast<GramType>(kStarts1 + n - 1), std::string_view(lead_).substr(0, n));
        if (starts.count == 0) return openContainsPass();
        std::vector<GramList> lists = driver_.lists;
        lists.push_back(starts);
        keepShortest(lists, kMaxLists);
        stream_ = std::make_unique<IntersectStream>(index_, lists);
    }

    void openContainsPass() {
        pass_ = Pass::Contains;
        if (byKinds_) {
            stream_ = std::make_unique<NamedDocsStream>(std::move(deferred_));
        } else if (!driver_.lists.empty()) {
            stream_ = std::make_unique<IntersectStream>(index_, driver_.lists);
        } else {
            stream_ = std::make_unique<ScanStream>(index_, driver_.scanWord);
            // Every name the scan yields contains its word: that term needs no second test.
            proven_ = requiredNameTerm(root_, driver_.scanWord);
        }
    }

    bool accept(uint32_t doc) {
        // An entry of a folder changed since the sidecar was built: its id may name another entry
        // now, so it is never looked at (the overlay reads that folder afresh).
        if (!stale_.empty()) {
            const int64_t id = static_cast<int64_t>(index_.itemId(doc));
            if (store::isEntryId(id) && stale_.count(store::entryFolder(id))) return false;
        }
        // Walking words, the facts byte is at hand and a name is a walk away; walking kinds, every
        // document is of an allowed kind.
        if (!byKinds_ && kinds_ != kEveryKind && !kindIn(kinds_, factsKind(index_.facts(doc)))) return false;
        facts_.reset(doc, stream_->knownName());
        if (!lead_.empty() && beginsWith(facts_.foldedName(), lead_) != (pass_ == Pass::Prefix)) {
            if (byKinds_ && pass_ == Pass::Prefix && facts_.foldedName().find(lead_) != std::string_view::npos)
                deferred_.push_back({doc, facts_.foldedName()});
            return false;
        }
        return matches(root_, facts_, proven_);
    }

    NameIndex& index_;
    const Node& root_;
    const Node* proven_ = nullptr;
    RowReader rows_;
    SidecarFacts facts_;
    std::string lead_;
    KindMask kinds_;
    Driver driver_;
    // Names that begin with the first word come first, then the names that merely contain it.
    enum class Pass { None, Prefix, Contains };
    Pass pass_ = Pass::None;
    std::unique_ptr<DocStream> stream_;
    bool byKinds_ = false;
    std::vector<KindList> kindLists_;
    std::vector<NamedDoc> deferred_;  // by kinds: the hits of the second pass, met in the first
    std::unordered_set<int64_t> stale_;  // folders the names overlay reads instead
};

// The path without a usable sidecar: one pass over `items`, the hits sorted in search order.
class ScannedHits final : public HitStream {
public:
    ScannedHits(sqlite3* db, const Node& root, std::string_view lead) {
        RowFacts facts;
        const store::Status scanned = store::forEachItem(db, true, [&](const store::ScannedItem& item) {
            facts.reset();
            facts.row() = readerRow(item.row, item.id, item.dir, item.dirPath);
            if (!matches(root, facts)) return;
            const bool prefix = !lead.empty() && facts.foldedName().starts_with(lead);
            hits_.push_back(Hit{!prefix, facts.row().mtime, item.id});
        });
        if (!scanned) throw SafecallError(hresultFromSqlite(scanned.code), "scanning the index: " + scanned.error);
        std::sort(hits_.begin(), hits_.end(), [](const Hit& a, const Hit& b) {
            if (a.rest != b.rest) return !a.rest;
            if (a.mtime.has_value() != b.mtime.has_value()) return a.mtime.has_value();
            if (a.mtime && *a.mtime != *b.mtime) return *a.mtime > *b.mtime;
            return a.id < b.id;
        });
    }

    std::optional<int64_t> next() override {
        if (at_ >= hits_.size()) return std::nullopt;
        return hits_[at_++].id;
    }

private:
    struct Hit {
        bool rest;
        std::optional<int64_t> mtime;
        int64_t id;
    };
    std::vector<Hit> hits_;
    size_t at_ = 0;
};

}  // namespace

std::unique_ptr<HitStream> openHitStream(sqlite3* db, NameIndex* index, const Node& root,
                                         const std::vector<int64_t>* staleFolders) {
    const KindMask kinds = possibleKinds(root);
    if (matchesNothing(root) || kinds == 0) return std::make_unique<EmptyHits>();
    const std::vector<std::string_view> words = requiredNameWords(root);
    const std::string_view lead = words.empty() ? std::string_view() : words[0];
    if (index == nullptr) return std::make_unique<ScannedHits>(db, root, lead);
    auto indexed = std::make_unique<IndexedHits>(db, *index, root, words, kinds, staleFolders);
    if (staleFolders == nullptr) return indexed;
    return makeOverlayHits(std::move(indexed), db, root, lead, *staleFolders);
}

}  // namespace skimmer::index::query
