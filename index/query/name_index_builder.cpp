#include "index/query/name_index_builder.h"

#include "index/query/fold.h"
#include "index/query/name_index_format.h"
#include "index/query/name_index_reader.h"
#include "index/query/sidecar_file.h"
#include "index/store/schema.h"
#include "index/store/sqlite_handle.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <optional>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace skimmer::index::query {
namespace {

using namespace sidecar;

struct Doc {
    uint32_t itemId;
    std::optional<int64_t> mtime;
    uint32_t facts;
    std::string folded;
};

struct Snapshot {
    uint64_t generation = 0;
    int64_t maxItemId = 0;
    std::vector<Doc> docs;
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
    Status status;
    Stmt stmt = prepare(db, "SELECT id, name, kind, ext, dir, mtime FROM items", status);
    if (!stmt) { error = status.error; return false; }
    ExtTable extTable;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        const int64_t id = sqlite3_column_int64(stmt.get(), 0);
        if (id < 0 || id > UINT32_MAX) { error = "item id beyond 32 bits"; return false; }
        Doc doc;
        doc.itemId = static_cast<uint32_t>(id);
        snapshot.maxItemId = std::max<int64_t>(snapshot.maxItemId, id);
        doc.folded = foldName(columnBytes(stmt.get(), 1));
        const int kind = sqlite3_column_int(stmt.get(), 2);
        const uint16_t ext = extTable.idOf(foldName(columnBytes(stmt.get(), 3)), snapshot.exts);
        const uint8_t flags = sqlite3_column_int64(stmt.get(), 4) != 0 ? kFlagInFileSystem : 0;
        doc.facts = packFacts(static_cast<uint8_t>(kind >= 0 && kind < 256 ? kind : 0), flags, ext);
        if (sqlite3_column_type(stmt.get(), 5) != SQLITE_NULL) doc.mtime = sqlite3_column_int64(stmt.get(), 5);
        snapshot.docs.push_back(std::move(doc));
    }
    if (rc != SQLITE_DONE) { error = sqliteFailure(db, "reading items").error; return false; }
    return true;
}

bool readSnapshot(sqlite3* db, Snapshot& snapshot, std::string& error) {
    const bool ownTransaction = sqlite3_get_autocommit(db) != 0;
    if (ownTransaction) {
        Status begun = execSql(db, "BEGIN");
        if (!begun) { error = begun.error; return false; }
    }
    snapshot.generation = static_cast<uint64_t>(readMetaInt(db, kMetaGeneration).value_or(0));
    const bool ok = readItems(db, snapshot, error);
    if (ownTransaction) execSql(db, ok ? "COMMIT" : "ROLLBACK");
    return ok;
}

// The search's document order: newest modification first, unknown times last, then by id.
void sortDocs(std::vector<Doc>& docs) {
    std::sort(docs.begin(), docs.end(), [](const Doc& a, const Doc& b) {
        if (a.mtime.has_value() != b.mtime.has_value()) return a.mtime.has_value();
        if (a.mtime && *a.mtime != *b.mtime) return *a.mtime > *b.mtime;
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

// The distinct gram slots of one folded name, sorted.
void gramSlots(const std::string& name, std::vector<uint32_t>& slots) {
    slots.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t size = name.size();
    for (size_t n = 1; n <= 3; ++n) {
        for (size_t i = 0; i + n <= size; ++i) slots.push_back(kSlotBase[n] + gramValue(p + i, n));
        if (size >= n) slots.push_back(kSlotBase[n + 3] + gramValue(p, n));
    }
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
}

uint32_t slotKey(uint32_t slot) {
    uint32_t type = 6;
    while (slot < kSlotBase[type]) --type;
    const uint32_t value = slot - kSlotBase[type];
    const uint32_t n = type > 3 ? type - 3 : type;
    return (type << 24) | (value << (8 * (3 - n)));
}

struct List {
    uint32_t slot;
    uint32_t count;
    uint32_t last = 0;
    std::string bytes;
};

void appendVarint(std::string& out, uint32_t value) {
    while (value >= 0x80) {
        out += static_cast<char>(value | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

// A value per gram slot: a flat array for the 1- and 2-byte types, and for the 3-byte types a
// zero-filled mapping from calloc, whose untouched pages cost nothing (most of their 2^24 slots are
// never used). Far faster than a hash map at a million names.
class SlotTable {
public:
    SlotTable() : small_(2 * (256 + 65536), 0), big_(static_cast<uint32_t*>(std::calloc(2u << 24, sizeof(uint32_t)))) {
        if (!big_) throw std::bad_alloc();
    }
    uint32_t& at(uint32_t slot) {
        const int64_t index = smallIndex(slot);
        return index >= 0 ? small_[static_cast<size_t>(index)] : big_.get()[bigIndex(slot)];
    }
    // Counts one more document for `slot`, remembering the slots in use.
    void count(uint32_t slot) {
        if (at(slot)++ == 0) used_.push_back(slot);
    }
    // Every slot counted at least once, ascending (never walks the empty slots).
    std::vector<uint32_t> usedSlots() {
        std::sort(used_.begin(), used_.end());
        return used_;
    }

private:
    struct Free {
        void operator()(uint32_t* p) const { std::free(p); }
    };
    static int64_t smallIndex(uint32_t slot) {
        if (slot < kSlotBase[3]) return slot;
        if (slot >= kSlotBase[4] && slot < kSlotBase[6]) return int64_t{slot} - kSlotBase[4] + kSlotBase[3];
        return -1;
    }
    static size_t bigIndex(uint32_t slot) {
        return slot < kSlotBase[4] ? slot - kSlotBase[3] : (size_t{1} << 24) + (slot - kSlotBase[6]);
    }
    std::vector<uint32_t> small_;
    std::unique_ptr<uint32_t, Free> big_;
    std::vector<uint32_t> used_;
};

std::vector<List> buildLists(const std::vector<Doc>& docs, const NameIndexBuildOptions& options) {
    SlotTable table;
    std::vector<uint32_t> slots;
    for (const Doc& doc : docs) {
        gramSlots(doc.folded, slots);
        for (uint32_t slot : slots) table.count(slot);
    }
    const auto n = static_cast<uint32_t>(docs.size());
    const bool capDense = n >= options.denseMinDocs && options.denseDivisor > 0;
    std::vector<List> lists;
    for (uint32_t slot : table.usedSlots()) {
        uint32_t& value = table.at(slot);
        const bool contains = slot < kSlotBase[4];
        const bool dense = capDense && contains && value > n / options.denseDivisor;
        lists.push_back(List{slot, value});
        value = dense ? UINT32_MAX : static_cast<uint32_t>(lists.size() - 1);
    }
    for (uint32_t d = 0; d < n; ++d) {
        gramSlots(docs[d].folded, slots);
        for (uint32_t slot : slots) {
            const uint32_t index = table.at(slot);
            if (index == UINT32_MAX) continue;
            List& list = lists[index];
            appendVarint(list.bytes, list.bytes.empty() ? d : d - list.last);
            list.last = d;
        }
    }
    return lists;
}

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
        offset += static_cast<uint32_t>(doc.folded.size() + 1);
    }
    appendRaw(out, offset);
    padTo8(out);
    header.namesOffset = out.size();
    for (const Doc& doc : docs) out.append(doc.folded).push_back('\0');
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

void appendGrams(std::string& out, Header& header, const std::vector<List>& lists) {
    header.gramTableOffset = out.size();
    header.gramCount = lists.size();
    uint64_t postings = 0;
    for (const List& list : lists) {  // slots ascend in the same order as keys
        GramEntry entry{slotKey(list.slot), list.count, list.bytes.empty() ? 0 : postings,
                        static_cast<uint32_t>(list.bytes.size()), 0};
        appendRaw(out, entry);
        postings += list.bytes.size();
    }
    header.postingsOffset = out.size();
    for (const List& list : lists) out += list.bytes;
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
    const auto* bytes = reinterpret_cast<const unsigned char*>(out.data());
    for (uint64_t at = sizeof(Header); at < header.checksumsOffset; at += kBlockSize) {
        const size_t size = std::min<uint64_t>(kBlockSize, header.checksumsOffset - at);
        appendRaw(table, blockHash(bytes + at, size));
    }
    header.checksumsHash = blockHash(reinterpret_cast<const unsigned char*>(table.data()), table.size());
    out += table;
}

std::string serialise(const Snapshot& snapshot, const std::vector<List>& lists) {
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.formatVersion = kFormatVersion;
    header.docCount = static_cast<uint32_t>(snapshot.docs.size());
    header.generation = snapshot.generation;
    header.maxItemId = snapshot.maxItemId;
    header.blockSize = kBlockSize;
    std::string out(sizeof(Header), '\0');
    appendDocSections(out, header, snapshot);
    appendExtTable(out, header, snapshot.exts);
    appendGrams(out, header, lists);
    appendChecksums(out, header);
    header.headerHash = blockHash(reinterpret_cast<const unsigned char*>(&header), offsetof(Header, headerHash));
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

// True (with `result` filled) when the sidecar on disk already carries the database's generation
// and largest item id and is intact at its header: a crawl that changed nothing costs no rebuild.
bool sidecarIsCurrent(sqlite3* db, const std::filesystem::path& path, NameIndexBuildResult& result) {
    const auto generation = readMetaInt(db, kMetaGeneration);
    const auto maxId = queryInt(db, "SELECT coalesce(max(id), 0) FROM items");
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
    const std::string bytes = serialise(snapshot, buildLists(snapshot.docs, options));
    if (bytes.size() > UINT32_MAX * uint64_t{4}) {
        result.error = "name sidecar too large";
        return result;
    }
    if (!replaceFileAtomically(nameIndexPathFor(file), bytes, result.error)) return result;
    result.ok = true;
    result.generation = snapshot.generation;
    result.documents = static_cast<uint32_t>(snapshot.docs.size());
    result.bytes = bytes.size();
    return result;
}

}  // namespace skimmer::index::query
