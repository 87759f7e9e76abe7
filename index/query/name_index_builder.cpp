#include "index/query/name_index_builder.h"

#include "index/query/fold.h"
#include "index/query/name_index_format.h"
#include "index/query/name_index_reader.h"
#include "index/query/sidecar_file.h"
#include "index/store/item_scan.h"
#include "index/store/schema.h"
#include "index/store/sqlite_handle.h"

#include <algorithm>
#include <cstddef>
#include <map>
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
    uint32_t itemId;
    uint32_t facts;
    uint32_t nameAt;
    uint32_t nameSize;
    bool hasMtime;
};

struct Snapshot {
    uint64_t generation = 0;
    int64_t maxItemId = 0;
    std::vector<Doc> docs;
    std::string names;              // every folded name, back to back, in reading order
    std::vector<std::string> exts;  // folded, index = extension id
};

class ExtTable {
public:
    uint16_t idOf(const std::string& folded, std::vector<std::string>& exts) {
        auto found = ids_.find(folded);
        if (found != ids_.end()) return found->second;
        if (exts.size() >= kExtUnknown) return kExtUnknown;
        const auto id = static_cast<uint16_t>(exts.size());
        exts.push_back(folded);
        ids_.emplace(folded, id);
        return id;
    }

private:
    std::map<std::string, uint16_t> ids_;
};

bool readItems(sqlite3* db, Snapshot& snapshot, std::string& error) {
    ExtTable extTable;
    bool tooLong = false;
    const Status scanned = forEachItem(db, false, [&](const ScannedItem& item) {
        const std::string folded = foldName(item.row.name);
        if (snapshot.names.size() + folded.size() + 1 > UINT32_MAX) {
            tooLong = true;
            return;
        }
        Doc doc{};
        doc.itemId = item.id;
        doc.nameAt = static_cast<uint32_t>(snapshot.names.size());
        doc.nameSize = static_cast<uint32_t>(folded.size());
        snapshot.names += folded;
        const int kind = item.row.kind;
        const uint16_t ext = extTable.idOf(foldName(item.row.ext), snapshot.exts);
        const uint8_t flags = item.dir != 0 ? kFlagInFileSystem : 0;
        doc.facts = packFacts(static_cast<uint8_t>(kind >= 0 && kind < 256 ? kind : 0), flags, ext);
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
        Status begun = execSql(db, "BEGIN");
        if (!begun) { error = begun.error; return false; }
    }
    snapshot.generation = static_cast<uint64_t>(readMetaInt(db, kMetaGeneration).value_or(0));
    snapshot.maxItemId = readMetaInt(db, kMetaInstance).value_or(0);
    const bool ok = readItems(db, snapshot, error);
    if (ownTransaction) execSql(db, ok ? "COMMIT" : "ROLLBACK");
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

// Slots of a flat counting array: one per possible gram of each type.
constexpr uint32_t kSlotBase[7] = {0, 0, 256, 256 + 65536, 256 + 65536 + (1u << 24),
                                   2 * 256 + 65536 + (1u << 24), 2 * 256 + 2 * 65536 + (1u << 24)};

uint32_t gramValue(const unsigned char* p, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// The gram slots of one folded name, repeats included (the passes skip a list's repeats by its
// last document, which is cheaper than sorting every name's slots).
void gramSlots(std::string_view name, std::vector<uint32_t>& slots) {
    slots.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t size = name.size();
    for (size_t n = 1; n <= 3; ++n) {
        for (size_t i = 0; i + n <= size; ++i) slots.push_back(kSlotBase[n] + gramValue(p + i, n));
        if (size >= n) slots.push_back(kSlotBase[n + 3] + gramValue(p, n));
    }
}

uint32_t slotKey(uint32_t slot) {
    uint32_t type = 6;
    while (slot < kSlotBase[type]) --type;
    const uint32_t value = slot - kSlotBase[type];
    const uint32_t n = type > 3 ? type - 3 : type;
    return (type << 24) | (value << (8 * (3 - n)));
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

// A value per gram slot: a flat array for the 1- and 2-byte types; for the 3-byte types a block of
// 256 values per leading byte pair, made when the pair is first met. The blocks in use lie close
// together, so the passes' lookups stay in cache far more than in one sparse 2^24-slot array.
class SlotTable {
public:
    SlotTable() : small_(2 * (256 + 65536), 0), pairs_(size_t{2} << 16, 0) {}
    // The reference is valid until the next call.
    uint32_t& at(uint32_t slot) {
        const int64_t index = smallIndex(slot);
        if (index >= 0) return small_[static_cast<size_t>(index)];
        const size_t big = bigIndex(slot);
        uint32_t& block = pairs_[big >> 8];
        if (block == 0) {
            blocks_.resize(blocks_.size() + 256, 0);
            block = static_cast<uint32_t>(blocks_.size() / 256);
        }
        return blocks_[(size_t{block} - 1) * 256 + (big & 255)];
    }

private:
    static int64_t smallIndex(uint32_t slot) {
        if (slot < kSlotBase[3]) return slot;
        if (slot >= kSlotBase[4] && slot < kSlotBase[6]) return int64_t{slot} - kSlotBase[4] + kSlotBase[3];
        return -1;
    }
    static size_t bigIndex(uint32_t slot) {
        return slot < kSlotBase[4] ? slot - kSlotBase[3] : (size_t{1} << 24) + (slot - kSlotBase[6]);
    }
    std::vector<uint32_t> small_;
    std::vector<uint32_t> pairs_;   // block number + 1 per leading pair; 0: none yet
    std::vector<uint32_t> blocks_;
};

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

// The names section of the file being built, read back by the gram passes (so the snapshot's own
// copy of the names can be freed first). Holds a reference: the string may grow meanwhile.
class PackedNames {
public:
    PackedNames(const std::string& out, const Header& header) : out_(out), header_(header) {}
    uint32_t size() const { return header_.docCount; }
    std::string_view name(uint32_t doc) const {
        uint32_t range[2];
        std::memcpy(range, out_.data() + header_.nameOffsetsOffset + uint64_t{doc} * 4, sizeof range);
        return {out_.data() + header_.namesOffset + range[0], range[1] - range[0] - 1u};
    }

private:
    const std::string& out_;
    const Header& header_;
};

class ListBuilder {
public:
    // Counting pass: every list's documents and encoded size. Slot values are list index + 1.
    void count(const PackedNames& names) {
        for (uint32_t d = 0; d < names.size(); ++d) {
            gramSlots(names.name(d), slots_);
            for (uint32_t slot : slots_) {
                uint32_t& index = table_.at(slot);
                if (index == 0) {
                    lists_.push_back(List{slot});
                    index = static_cast<uint32_t>(lists_.size());
                }
                List& list = lists_[index - 1];
                if (list.count != 0 && list.last == d) continue;  // a repeat within this name
                list.bytes += varintSize(list.count == 0 ? d : d - list.last);
                list.count++;
                list.last = d;
            }
        }
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
            list.dense = capDense && list.slot < kSlotBase[4] && list.count > docCount / options.denseDivisor;
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
        for (uint32_t d = 0; d < names.size(); ++d) {
            gramSlots(names.name(d), slots_);
            for (uint32_t slot : slots_) {
                List& list = lists_[table_.at(slot) - 1];
                const bool started = list.cursor != list.offset;
                if (list.dense || (started && list.last == d)) continue;
                const uint32_t value = started ? d - list.last : d;
                list.cursor = static_cast<uint64_t>(putVarint(postings + list.cursor, value) - postings);
                list.last = d;
            }
        }
    }

private:
    SlotTable table_;
    std::vector<List> lists_;  // in order of first appearance
    std::vector<uint32_t> order_;
    std::vector<uint32_t> slots_;
};

template <typename T>
void appendRaw(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void padTo8(std::string& out) { out.resize((out.size() + 7) & ~size_t{7}, '\0'); }

void appendDocSections(std::string& out, Header& header, const Snapshot& snapshot) {
    const auto& docs = snapshot.docs;
    header.itemIdsOffset = out.size();
    for (const Doc& doc : docs) appendRaw(out, doc.itemId);
    padTo8(out);
    header.nameOffsetsOffset = out.size();
    uint32_t offset = 0;
    for (const Doc& doc : docs) {
        appendRaw(out, offset);
        offset += doc.nameSize + 1;
    }
    appendRaw(out, offset);
    padTo8(out);
    header.namesOffset = out.size();
    for (const Doc& doc : docs) out.append(snapshot.names, doc.nameAt, doc.nameSize).push_back('\0');
    padTo8(out);
    header.factsOffset = out.size();
    for (const Doc& doc : docs) appendRaw(out, doc.facts);
    padTo8(out);
}

void appendExtTable(std::string& out, Header& header, const std::vector<std::string>& exts) {
    header.extTableOffset = out.size();
    header.extCount = static_cast<uint32_t>(exts.size());
    uint32_t offset = 0;
    for (const auto& ext : exts) {
        appendRaw(out, offset);
        offset += static_cast<uint32_t>(ext.size());
    }
    appendRaw(out, offset);
    for (const auto& ext : exts) out += ext;
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
size_t docSectionsSize(const Snapshot& snapshot) {
    size_t exts = 0;
    for (const auto& ext : snapshot.exts) exts += ext.size() + 4;
    return sizeof(Header) + snapshot.docs.size() * 13 + 4 + snapshot.names.size() + exts + 4 + 6 * 8;
}

// Peak memory is about one file's size: the snapshot is freed once its sections are written, the
// gram passes read the names back from the file being built, and the postings are written in place.
std::string serialise(Snapshot snapshot, const NameIndexBuildOptions& options) {
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.formatVersion = kFormatVersion;
    header.docCount = static_cast<uint32_t>(snapshot.docs.size());
    header.generation = snapshot.generation;
    header.maxItemId = snapshot.maxItemId;
    header.blockSize = kBlockSize;
    std::string out(sizeof(Header), '\0');
    out.reserve(docSectionsSize(snapshot));
    appendDocSections(out, header, snapshot);
    appendExtTable(out, header, snapshot.exts);
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

// True (with `result` filled) when the sidecar on disk already carries the database's generation
// and largest item id and is intact at its header: a crawl that changed nothing costs no rebuild.
bool sidecarIsCurrent(sqlite3* db, const std::filesystem::path& path, NameIndexBuildResult& result) {
    const auto generation = readMetaInt(db, kMetaGeneration);
    const auto maxId = readMetaInt(db, kMetaInstance);
    if (!generation || !maxId) return false;
    NameIndex::Opened opened = NameIndex::open(path);
    if (!opened.index || opened.index->generation() != static_cast<uint64_t>(*generation) ||
        opened.index->maxItemId() != *maxId)
        return false;
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
