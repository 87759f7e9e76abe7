#include "index/query/name_index_builder.h"

#include "index/query/name_index_format.h"
#include "index/query/name_index_reader.h"
#include "index/query/sidecar_file.h"
#include "index/storage/item_scan.h"
#include "index/storage/kinds.h"
#include "index/storage/schema.h"
#include "index/storage/sqlite_handle.h"
#include "os/utf8.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace skimmer::index::query {
namespace {

using namespace sidecar;

// One item as read. Its folded name lives in Snapshot::names: one buffer for every name instead of
// a string each keeps a million names in a fraction of the memory.
struct Doc {
    int64_t mtime;  // meaningful when hasMtime
    uint64_t itemId;
    uint32_t nameAt;
    uint32_t nameSize;
    uint8_t facts;  // see packFacts
    bool hasMtime;
};

struct Snapshot {
    uint64_t generation = 0;
    uint64_t instance = 0;
    std::vector<Doc> docs;
    std::string names;  // every folded name, back to back, in reading order
};

bool readItems(sqlite3* db, Snapshot& snapshot, std::string& error) {
    // Room for every item up front: growing a million-entry vector and a names buffer of tens of
    // megabytes step by step copies them several times over. Pages reserved but never written
    // cost no memory, so the guess for the names may be generous.
    const auto expected = static_cast<size_t>(std::clamp<int64_t>(store::readMetaInt(db, store::kMetaItemCount).value_or(0), 0, 1 << 26));
    snapshot.docs.reserve(expected);
    snapshot.names.reserve(expected * 64);
    bool tooLong = false;
    const store::Status scanned = store::forEachItem(db, false, [&](const store::ScannedItem& item) {
        const std::string folded = os::foldText(store::searchedText(item.row.name, item.row.words));
        if (snapshot.names.size() + folded.size() + 1 > UINT32_MAX) {
            tooLong = true;
            return;
        }
        Doc doc{};
        doc.itemId = item.id;
        doc.nameAt = static_cast<uint32_t>(snapshot.names.size());
        doc.nameSize = static_cast<uint32_t>(folded.size());
        snapshot.names += folded;
        doc.facts = packFacts(item.row.kind, item.dir != 0);
        doc.hasMtime = true;
        doc.mtime = item.row.mtime;
        snapshot.docs.push_back(doc);
    });
    if (!scanned) error = scanned.error;
    else if (tooLong) error = "names too long for the name sidecar";
    return scanned.ok && !tooLong;
}

bool readSnapshot(sqlite3* db, Snapshot& snapshot, std::string& error) {
    const bool ownTransaction = sqlite3_get_autocommit(db) != 0;
    if (ownTransaction) {
        store::Status begun = store::execSql(db, "BEGIN");
        if (!begun) { error = begun.error; return false; }
    }
    snapshot.generation = static_cast<uint64_t>(store::readMetaInt(db, store::kMetaGeneration).value_or(0));
    const bool ok = readItems(db, snapshot, error);
    if (ownTransaction) store::execSql(db, ok ? "COMMIT" : "ROLLBACK");
    return ok;
}

// The search's document order: newest modification first, unknown times last, then by id.
void sortDocs(std::vector<Doc>& docs) {
    std::sort(docs.begin(), docs.end(), [](const Doc& a, const Doc& b) {
        if (a.hasMtime != b.hasMtime) return a.hasMtime;
        if (a.hasMtime && a.mtime != b.mtime) return a.mtime > b.mtime;
        return a.itemId < b.itemId;
    });
}

// Slots of a flat counting array: one per possible gram of each type, then two per kind code (its
// documents, its names).
constexpr uint32_t kSlotBase[8] = {0, 0, 256, 0, 256 + 65536, 2 * 256 + 65536, 2 * (256 + 65536),
                                   2 * (256 + 65536) + kKindCodes};
constexpr uint32_t kSlotCount = kSlotBase[kKindNames] + kKindCodes;

// The kinds whose names are copied beside their list: those the search window's group runs ask
// for on every keystroke (programs, favorites and history, mail) and links.
constexpr bool keepsNames(uint32_t code) {
    using store::Kind;
    for (Kind kind : {Kind::Program, Kind::Link, Kind::Favorite, Kind::Email, Kind::WebHistory})
        if (code == static_cast<uint32_t>(kind)) return true;
    return false;
}

uint32_t gramValue(const unsigned char* p, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// The gram slots of one folded name and its kind's slot, repeats included (the passes skip a
// list's repeats by its last document, which is cheaper than sorting every name's slots).
void gramSlots(std::string_view name, uint8_t facts, std::vector<uint32_t>& slots) {
    slots.clear();
    const auto kind = static_cast<uint32_t>(factsKind(facts));
    slots.push_back(kSlotBase[kKindList] + kind);
    if (keepsNames(kind)) slots.push_back(kSlotBase[kKindNames] + kind);
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t size = name.size();
    for (size_t n = 1; n <= 2; ++n) {
        for (size_t i = 0; i + n <= size; ++i) slots.push_back(kSlotBase[n] + gramValue(p + i, n));
        if (size >= n) slots.push_back(kSlotBase[n + 3] + gramValue(p, n));
    }
}

bool isKindNamesSlot(uint32_t slot) { return slot >= kSlotBase[kKindNames]; }

uint32_t slotKey(uint32_t slot) {
    uint32_t type = kKindNames;
    while (type == 3 || slot < kSlotBase[type]) --type;
    const uint32_t value = slot - kSlotBase[type];
    const uint32_t n = type >= kKindList ? 1 : type > 3 ? type - 3 : type;
    return (type << 24) | (value << (8 * (3 - n)));
}

// Lists that may be left out as dense: a word's contains-grams and the kinds without names
// (starts-with lists are always kept: they rank the first hits).
bool mayBeDense(uint32_t slot) {
    if (slot < kSlotBase[kStarts1]) return true;
    return slot >= kSlotBase[kKindList] && slot < kSlotBase[kKindNames] && !keepsNames(slot - kSlotBase[kKindList]);
}

size_t varintSize(uint32_t value) {
    size_t size = 1;
    for (; value >= 0x80; value >>= 7) ++size;
    return size;
}

unsigned char* putVarint(unsigned char* out, uint32_t value) {
    for (; value >= 0x80; value >>= 7) *out++ = static_cast<unsigned char>(value | 0x80);
    *out++ = static_cast<unsigned char>(value);
    return out;
}

// One gram's posting list. The counting pass learns its documents and exact encoded size, so the
// filling pass writes every list straight into its final place in the file: no list is ever held
// in a buffer of its own.
struct List {
    uint32_t slot = 0;
    uint32_t count = 0;
    uint32_t last = 0;    // last document seen by the current pass
    bool dense = false;   // not stored
    uint64_t bytes = 0;   // encoded size
    uint64_t offset = 0;  // from the postings section
    uint64_t cursor = 0;  // where the filling pass writes next
};

// The names and facts sections of the file being built, read back in document order by the gram
// passes (so the snapshot's own copy of the names can be freed first). Holds a reference: the
// string may grow meanwhile.
class PackedNames {
public:
    PackedNames(const std::string& out, const Header& header) : out_(out), header_(header) {}
    template <typename Visit>
    void forEach(Visit visit) const {
        const char* at = out_.data() + header_.namesOffset;
        const auto* facts = reinterpret_cast<const uint8_t*>(out_.data() + header_.factsOffset);
        for (uint32_t d = 0; d < header_.docCount; ++d) {
            const size_t length = std::strlen(at);
            visit(d, std::string_view(at, length), facts[d]);
            at += length + 1;
        }
    }

private:
    const std::string& out_;
    const Header& header_;
};

class ListBuilder {
public:
    // Counting pass: every list's documents and encoded size. Slot values are list index + 1.
    void count(const PackedNames& names) {
        names.forEach([&](uint32_t d, std::string_view name, uint8_t facts) {
            gramSlots(name, facts, slots_);
            for (uint32_t slot : slots_) {
                uint32_t& index = table_[slot];
                if (index == 0) {
                    lists_.push_back(List{slot});
                    index = static_cast<uint32_t>(lists_.size());
                }
                List& list = lists_[index - 1];
                if (list.count != 0 && list.last == d) continue;  // a repeat within this name
                list.bytes += isKindNamesSlot(slot) ? name.size() + 1 : varintSize(list.count == 0 ? d : d - list.last);
                list.count++;
                list.last = d;
            }
        });
    }

    // Marks the dense lists, orders the lists by key and places each stored list; returns the
    // postings section's size.
    uint64_t place(uint32_t docCount, const NameIndexBuildOptions& options) {
        const bool capDense = docCount >= options.denseMinDocs && options.denseDivisor > 0;
        order_.resize(lists_.size());
        for (uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
        std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return lists_[a].slot < lists_[b].slot; });
        uint64_t offset = 0;
        for (uint32_t i : order_) {
            List& list = lists_[i];
            list.dense = capDense && mayBeDense(list.slot) && list.count > docCount / options.denseDivisor;
            list.offset = list.cursor = offset;
            if (!list.dense) offset += list.bytes;
        }
        return offset;
    }

    // The gram table, in key order (slots ascend in the same order as keys).
    void appendTable(std::string& out) const {
        for (uint32_t i : order_) {
            const List& list = lists_[i];
            const GramEntry entry{slotKey(list.slot), list.count, list.dense ? 0 : list.offset,
                                  static_cast<uint32_t>(list.dense ? 0 : list.bytes), 0};
            out.append(reinterpret_cast<const char*>(&entry), sizeof entry);
        }
    }
    size_t listCount() const { return lists_.size(); }

    // Filling pass: gaps as varints, each list at its place in `postings`.
    void fill(const PackedNames& names, unsigned char* postings) {
        names.forEach([&](uint32_t d, std::string_view name, uint8_t facts) {
            gramSlots(name, facts, slots_);
            for (uint32_t slot : slots_) {
                List& list = lists_[table_[slot] - 1];
                const bool started = list.cursor != list.offset;
                if (list.dense || (started && list.last == d)) continue;
                if (isKindNamesSlot(slot)) {
                    std::memcpy(postings + list.cursor, name.data(), name.size());
                    postings[list.cursor + name.size()] = 0;
                    list.cursor += name.size() + 1;
                    list.last = d;
                    continue;
                }
                const uint32_t value = started ? d - list.last : d;
                list.cursor = static_cast<uint64_t>(putVarint(postings + list.cursor, value) - postings);
                list.last = d;
            }
        });
    }

private:
    std::vector<uint32_t> table_ = std::vector<uint32_t>(kSlotCount, 0);  // list index + 1 per slot
    std::vector<List> lists_;  // in order of first appearance
    std::vector<uint32_t> order_;
    std::vector<uint32_t> slots_;
};

template <typename T>
void appendRaw(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void padTo8(std::string& out) { out.resize((out.size() + 7) & ~size_t{7}, '\0'); }

template <typename T>
void appendArray(std::string& out, const std::vector<T>& values) {
    out.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

// Item ids as ranks plus runs (see name_index_format.h), for documents in search order.
struct IdRanks {
    std::vector<uint32_t> ordinals;     // per document
    std::vector<uint32_t> runOrdinals;  // per run, ascending
    std::vector<uint64_t> runIds;
    std::vector<uint32_t> runIndex;     // per bucket of ordinals: the run holding its first
};

IdRanks rankIds(const std::vector<Doc>& docs) {
    IdRanks ranks;
    const auto n = static_cast<uint32_t>(docs.size());
    std::vector<uint32_t> byId(n);
    for (uint32_t d = 0; d < n; ++d) byId[d] = d;
    std::sort(byId.begin(), byId.end(), [&](uint32_t a, uint32_t b) { return docs[a].itemId < docs[b].itemId; });
    ranks.ordinals.resize(n);
    for (uint32_t k = 0; k < n; ++k) {
        const uint64_t id = docs[byId[k]].itemId;
        ranks.ordinals[byId[k]] = k;
        if (k == 0 || id != ranks.runIds.back() + (k - ranks.runOrdinals.back())) {
            ranks.runOrdinals.push_back(k);
            ranks.runIds.push_back(id);
        }
    }
    size_t run = 0;
    for (uint64_t bucket = 0; bucket < runIndexCount(n); ++bucket) {
        const uint64_t first = bucket << kRunBucketShift;
        while (run + 1 < ranks.runOrdinals.size() && ranks.runOrdinals[run + 1] <= first) ++run;
        ranks.runIndex.push_back(static_cast<uint32_t>(run));
    }
    return ranks;
}

void appendIdSections(std::string& out, Header& header, const IdRanks& ranks) {
    header.runCount = static_cast<uint32_t>(ranks.runIds.size());
    header.ordinalsOffset = out.size();
    appendArray(out, ranks.ordinals);
    header.runOrdinalsOffset = out.size();
    appendArray(out, ranks.runOrdinals);
    padTo8(out);
    header.runIdsOffset = out.size();
    appendArray(out, ranks.runIds);
    header.runIndexOffset = out.size();
    appendArray(out, ranks.runIndex);
}

// Names can hold no NUL (it ends each one in the file): one that does is cut there.
void appendNameSections(std::string& out, Header& header, const Snapshot& snapshot) {
    std::vector<uint32_t> samples;
    samples.reserve(nameSampleCount(header.docCount));
    std::string_view all(snapshot.names);
    uint32_t offset = 0;
    for (size_t d = 0; d < snapshot.docs.size(); ++d) {
        if (d % kNameSample == 0) samples.push_back(offset);
        const Doc& doc = snapshot.docs[d];
        const std::string_view name = all.substr(doc.nameAt, doc.nameSize);
        offset += static_cast<uint32_t>(name.substr(0, name.find('\0')).size()) + 1;
    }
    samples.push_back(offset);
    header.nameSamplesOffset = out.size();
    appendArray(out, samples);
    header.namesOffset = out.size();
    for (const Doc& doc : snapshot.docs) {
        const std::string_view name = all.substr(doc.nameAt, doc.nameSize);
        out.append(name.substr(0, name.find('\0'))).push_back('\0');
    }
    header.factsOffset = out.size();
    for (const Doc& doc : snapshot.docs) out.push_back(static_cast<char>(doc.facts));
    padTo8(out);
}

// Blocks cover [sizeof(Header), checksumsOffset); the header is covered by its own hash, which
// includes the checksum table's hash, so every byte before the table is protected.
void appendChecksums(std::string& out, Header& header) {
    header.checksumsOffset = out.size();
    const uint64_t covered = out.size() - sizeof(Header);
    const uint64_t blocks = (covered + kBlockSize - 1) / kBlockSize;
    header.fileSize = out.size() + blocks * 8;
    std::string table;
    table.reserve(blocks * 8);
    const auto* bytes = reinterpret_cast<const unsigned char*>(out.data());
    for (uint64_t at = sizeof(Header); at < header.checksumsOffset; at += kBlockSize) {
        const size_t size = std::min<uint64_t>(kBlockSize, header.checksumsOffset - at);
        appendRaw(table, blockHash(bytes + at, size));
    }
    header.checksumsHash = blockHash(reinterpret_cast<const unsigned char*>(table.data()), table.size());
    out += table;
}

// Bytes the sections written from the snapshot take (an upper bound: padding included).
size_t docSectionsSize(const Snapshot& snapshot, const IdRanks& ranks) {
    const size_t n = snapshot.docs.size();
    return sizeof(Header) + n * 5 + ranks.runIds.size() * 12 + ranks.runIndex.size() * 4 +
           nameSampleCount(static_cast<uint32_t>(n)) * 4 + snapshot.names.size() + n + 4 * 8;
}

// Peak memory is about one file's size: the snapshot is freed once its sections are written, the
// gram passes read the names back from the file being built, and the postings are written in place.
std::string serialise(Snapshot snapshot, const NameIndexBuildOptions& options) {
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.formatVersion = kFormatVersion;
    header.docCount = static_cast<uint32_t>(snapshot.docs.size());
    header.generation = snapshot.generation;
    header.instance = snapshot.instance;
    header.blockSize = kBlockSize;
    std::string out(sizeof(Header), '\0');
    {
        const IdRanks ranks = rankIds(snapshot.docs);
        out.reserve(docSectionsSize(snapshot, ranks));
        appendIdSections(out, header, ranks);
    }
    appendNameSections(out, header, snapshot);
    snapshot = Snapshot{};
    const PackedNames names(out, header);
    ListBuilder lists;
    lists.count(names);
    const uint64_t postingsSize = lists.place(header.docCount, options);
    const uint64_t tableSize = lists.listCount() * sizeof(GramEntry);
    const uint64_t blocks = (out.size() + tableSize + postingsSize + 8) / kBlockSize + 1;
    out.reserve(out.size() + tableSize + postingsSize + 8 + blocks * 8);
    header.gramTableOffset = out.size();
    header.gramCount = lists.listCount();
    lists.appendTable(out);
    header.postingsOffset = out.size();
    out.resize(out.size() + postingsSize);
    lists.fill(names, reinterpret_cast<unsigned char*>(out.data() + header.postingsOffset));
    padTo8(out);
    appendChecksums(out, header);
    header.headerHash = blockHash(reinterpret_cast<const unsigned char*>(&header), offsetof(Header, headerHash));
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

// The database's instance stamp; 0 for an index made before it had one.
uint64_t readInstance(sqlite3* db) { return static_cast<uint64_t>(store::readMetaInt(db, store::kMetaInstance).value_or(0)); }

// True (with `result` filled) when the sidecar on disk already carries the database's generation
// and instance and every block of it verifies: a crawl that changed nothing costs no rebuild, and
// a damaged sidecar is never kept. Damage is noted in `result.repaired`.
bool sidecarIsCurrent(sqlite3* db, const std::filesystem::path& path, NameIndexBuildResult& result) {
    const auto generation = store::readMetaInt(db, store::kMetaGeneration);
    if (!generation) return false;
    NameIndex::Opened opened = NameIndex::open(path);
    if (opened.status == NameIndex::OpenStatus::Damaged) result.repaired = opened.error;
    if (!opened.index || opened.index->generation() != static_cast<uint64_t>(*generation) ||
        opened.index->instance() != readInstance(db))
        return false;
    if (std::string why; !opened.index->verifyWhole(why)) {
        result.repaired = why;
        return false;
    }
    result.ok = true;
    result.skipped = true;
    result.generation = opened.index->generation();
    result.documents = opened.index->docCount();
    return true;
}

}  // namespace

std::filesystem::path nameIndexPathFor(const std::filesystem::path& databaseFile) {
    std::filesystem::path path = databaseFile;
    path += ".names";
    return path;
}

NameIndexBuildResult buildNameIndex(sqlite3* db, const NameIndexBuildOptions& options) {
    NameIndexBuildResult result;
    const char* file = sqlite3_db_filename(db, "main");
    if (file == nullptr || *file == '\0') {
        result.error = "the index has no file to put the name sidecar beside";
        return result;
    }
    if (!options.force && sidecarIsCurrent(db, nameIndexPathFor(file), result)) return result;
    Snapshot snapshot;
    snapshot.instance = readInstance(db);  // fixed for the life of an index file
    if (!readSnapshot(db, snapshot, result.error)) return result;
    if (snapshot.docs.size() > UINT32_MAX / 2) {
        result.error = "too many items for the name sidecar";
        return result;
    }
    sortDocs(snapshot.docs);
    const auto documents = static_cast<uint32_t>(snapshot.docs.size());
    const std::string bytes = serialise(std::move(snapshot), options);
    if (bytes.size() > UINT32_MAX * uint64_t{4}) {
        result.error = "name sidecar too large";
        return result;
    }
    if (!replaceFileAtomically(nameIndexPathFor(file), bytes, result.error)) return result;
    result.ok = true;
    std::memcpy(&result.generation, bytes.data() + offsetof(Header, generation), sizeof result.generation);
    result.documents = documents;
    result.bytes = bytes.size();
    return result;
}

}  // namespace skimmer::index::query
