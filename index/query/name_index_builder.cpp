#include "index/query/name_index_builder.h"

#include "index/query/name_doc_sorter.h"
#include "index/query/name_index_format.h"
#include "index/query/name_index_lists.h"
#include "index/query/name_index_reader.h"
#include "index/query/sidecar_file.h"
#include "index/storage/item_scan.h"
#include "index/storage/schema.h"
#include "index/storage/sqlite_handle.h"
#include "os/utf8.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace skimmer::index::query {
namespace {

using namespace sidecar;

// Bytes of the buffers each section is written through, and of the pieces the file is read back in
// (a multiple of the block size, so that the checksums' blocks never straddle two pieces).
constexpr size_t kIoChunk = 256 * kBlockSize;

// What reading the items learns besides the documents themselves: enough to place every section
// before the documents are merged into order.
struct ItemsRead {
    uint64_t generation = 0;
    uint32_t entries = 0;  // folder entries: read first, ascending ids, all above the others'
    uint32_t others = 0;   // items of other sources: read next, ascending ids
    uint64_t namesBytes = 0;
    // Runs of consecutive ids of each of the two groups: (index within the group, first id).
    std::vector<std::pair<uint32_t, uint64_t>> entryRuns, otherRuns;
    uint32_t count() const { return entries + others; }
};

void noteRun(std::vector<std::pair<uint32_t, uint64_t>>& runs, uint32_t index, uint64_t id, uint64_t previous) {
    if (index == 0 || id != previous + 1) runs.emplace_back(index, id);
}

// Reads every item into the sorter. The ids of each group come in ascending order (the scan reads
// both tables by id), so a document's rank among all ids follows from its position in the scan;
// an id out of order is reported, never ranked wrongly.
bool readItems(sqlite3* db, NameDocSorter& sorter, ItemsRead& read, std::string& error) {
    bool stop = false;
    uint64_t previous = 0;
    const store::Status scanned = store::forEachItem(db, false, [&](const store::ScannedItem& item) {
        if (stop) return;
        const std::string folded = os::foldText(store::searchedText(item.row.name, item.row.words));
        const std::string_view name = std::string_view(folded).substr(0, folded.find('\0'));  // NUL ends a name in the file
        const bool entry = item.dir != 0;
        const auto id = static_cast<uint64_t>(item.id);
        if (entry && read.others != 0) error = "the index's folder entries were read after its other items";
        else if ((entry ? read.entries : read.others) != 0 && id <= previous) error = "the index's items were not read in id order";
        else if (read.namesBytes + name.size() + 1 > UINT32_MAX) error = "names too long for the name sidecar";
        else if (read.count() >= UINT32_MAX / 2) error = "too many items for the name sidecar";
        if (!error.empty()) {
            stop = true;
            return;
        }
        uint32_t& inGroup = entry ? read.entries : read.others;
        noteRun(entry ? read.entryRuns : read.otherRuns, inGroup, id, previous);
        const SortedDoc doc{item.row.mtime, id, read.count(), packFacts(item.row.kind, entry)};
        inGroup++;
        previous = id;
        read.namesBytes += name.size() + 1;
        if (!sorter.add(doc, name, error)) stop = true;
    });
    if (!scanned) error = scanned.error;
    return scanned.ok && error.empty();
}

bool readSnapshot(sqlite3* db, NameDocSorter& sorter, ItemsRead& read, std::string& error) {
    const bool ownTransaction = sqlite3_get_autocommit(db) != 0;
    if (ownTransaction) {
        store::Status begun = store::execSql(db, "BEGIN");
        if (!begun) { error = begun.error; return false; }
    }
    read.generation = static_cast<uint64_t>(store::readMetaInt(db, store::kMetaGeneration).value_or(0));
    const bool ok = readItems(db, sorter, read, error);
    if (ownTransaction) store::execSql(db, ok ? "COMMIT" : "ROLLBACK");
    return ok;
}

// Item ids as ranks plus runs (see name_index_format.h). Every other item's id is below every
// folder entry's, so in id order the other items come first.
struct IdRuns {
    std::vector<uint32_t> ordinals;  // per run, ascending
    std::vector<uint64_t> ids;
    std::vector<uint32_t> index;     // per bucket of ordinals: the run holding its first
};

IdRuns idRuns(const ItemsRead& read) {
    IdRuns runs;
    for (const auto& [at, id] : read.otherRuns) {
        runs.ordinals.push_back(at);
        runs.ids.push_back(id);
    }
    for (const auto& [at, id] : read.entryRuns) {
        const uint32_t ordinal = read.others + at;
        if (!runs.ids.empty() && id == runs.ids.back() + (ordinal - runs.ordinals.back())) continue;
        runs.ordinals.push_back(ordinal);
        runs.ids.push_back(id);
    }
    size_t run = 0;
    for (uint64_t bucket = 0; bucket < runIndexCount(read.count()); ++bucket) {
        const uint64_t first = bucket << kRunBucketShift;
        while (run + 1 < runs.ordinals.size() && runs.ordinals[run + 1] <= first) ++run;
        runs.index.push_back(static_cast<uint32_t>(run));
    }
    return runs;
}

uint64_t align8(uint64_t at) { return (at + 7) & ~uint64_t{7}; }

// Every section's offset up to the gram table: all are known once the items are read.
Header layoutHeader(const ItemsRead& read, const IdRuns& runs, uint64_t instance) {
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.formatVersion = kFormatVersion;
    header.docCount = read.count();
    header.generation = read.generation;
    header.instance = instance;
    header.blockSize = kBlockSize;
    header.runCount = static_cast<uint32_t>(runs.ids.size());
    header.ordinalsOffset = sizeof(Header);
    header.runOrdinalsOffset = header.ordinalsOffset + uint64_t{4} * header.docCount;
    header.runIdsOffset = align8(header.runOrdinalsOffset + uint64_t{4} * header.runCount);
    header.runIndexOffset = header.runIdsOffset + uint64_t{8} * header.runCount;
    header.nameSamplesOffset = header.runIndexOffset + 4 * runs.index.size();
    header.namesOffset = header.nameSamplesOffset + 4 * nameSampleCount(header.docCount);
    header.factsOffset = header.namesOffset + read.namesBytes;
    header.gramTableOffset = align8(header.factsOffset + header.docCount);
    return header;
}

template <typename T>
bool writeArray(ReplacingFile& file, uint64_t offset, const std::vector<T>& values) {
    return file.writeAt(offset, values.data(), values.size() * sizeof(T));
}

// One section written front to back through a buffer.
class SectionWriter {
public:
    SectionWriter(ReplacingFile& file, uint64_t offset) : file_(file), at_(offset) { buffer_.reserve(kIoChunk); }
    void put(const void* data, size_t size) {
        buffer_.append(static_cast<const char*>(data), size);
        if (buffer_.size() >= kIoChunk) flush();
    }
    void flush() {
        file_.writeAt(at_, buffer_.data(), buffer_.size());
        at_ += buffer_.size();
        buffer_.clear();
    }

private:
    ReplacingFile& file_;
    uint64_t at_;
    std::string buffer_;
};

// The documents in order: each one's ordinal, name and facts written to their sections, every
// kNameSample-th name's offset noted, and its grams counted.
void writeDocuments(NameDocSorter& sorter, const ItemsRead& read, const Header& header, ReplacingFile& file,
                    NameListBuilder& lists, std::string& error) {
    SectionWriter ordinals(file, header.ordinalsOffset), names(file, header.namesOffset), facts(file, header.factsOffset);
    std::vector<uint32_t> samples;
    samples.reserve(nameSampleCount(header.docCount));
    uint32_t doc = 0;
    uint32_t offset = 0;
    const bool merged = sorter.merge([&](const SortedDoc& sorted, std::string_view name) {
        // Other items rank first in id order, the folder entries (read first) after them.
        const uint32_t ordinal = sorted.readIndex < read.entries ? read.others + sorted.readIndex : sorted.readIndex - read.entries;
        ordinals.put(&ordinal, sizeof ordinal);
        if (doc % kNameSample == 0) samples.push_back(offset);
        names.put(name.data(), name.size());
        names.put("", 1);
        facts.put(&sorted.facts, 1);
        lists.count(doc, name, sorted.facts);
        offset += static_cast<uint32_t>(name.size()) + 1;
        ++doc;
    }, error);
    if (!merged) return;
    samples.push_back(offset);
    ordinals.flush();
    names.flush();
    facts.flush();
    writeArray(file, header.nameSamplesOffset, samples);
}

// The packed names and facts read back from the file being built, in document order.
class PackedNamesReader {
public:
    PackedNamesReader(ReplacingFile& file, const Header& header) : file_(file), header_(header) {}

    // Calls visit(doc, name, facts) for every document; false when the file cannot be read.
    template <typename Visit>
    bool forEach(Visit visit) {
        namesAt_ = header_.namesOffset;
        factsAt_ = header_.factsOffset;
        names_.clear();
        pos_ = 0;
        for (uint32_t doc = 0; doc < header_.docCount; ++doc) {
            if (doc % kIoChunk == 0) {
                facts_.resize(std::min<uint64_t>(kIoChunk, header_.docCount - doc));
                if (!file_.readAt(factsAt_, facts_.data(), facts_.size())) return false;
                factsAt_ += facts_.size();
            }
            std::string_view name;
            if (!nextName(name)) return false;
            if (!visit(doc, name, static_cast<uint8_t>(facts_[doc % kIoChunk]))) return false;
        }
        return true;
    }

private:
    bool nextName(std::string_view& name) {
        for (;;) {
            const size_t end = names_.find('\0', pos_);
            if (end != std::string::npos) {
                name = std::string_view(names_).substr(pos_, end - pos_);
                pos_ = end + 1;
                return true;
            }
            const uint64_t left = header_.factsOffset - namesAt_;
            if (left == 0) return false;  // the section ends inside a name: it was not written whole
            names_.erase(0, pos_);
            pos_ = 0;
            const size_t kept = names_.size();
            names_.resize(kept + std::min<uint64_t>(kIoChunk, left));
            if (!file_.readAt(namesAt_, names_.data() + kept, names_.size() - kept)) return false;
            namesAt_ += names_.size() - kept;
        }
    }

    ReplacingFile& file_;
    const Header& header_;
    uint64_t namesAt_ = 0, factsAt_ = 0;
    std::string names_, facts_;
    size_t pos_ = 0;
};

// The 3-byte grams counted (one pass over the names, once the dense 2-byte grams are known), the
// gram table, then the postings a window at a time: each window is one more pass over the names,
// so no more than the budget of postings is held at once.
void writeLists(NameListBuilder& lists, Header& header, ReplacingFile& file, const NameIndexBuildOptions& options,
                NameIndexBuildResult& result) {
    std::string& error = result.error;
    PackedNamesReader names(file, header);
    if (lists.chooseDense(header.docCount, options) &&
        !names.forEach([&](uint32_t doc, std::string_view name, uint8_t) {
            lists.countTriples(doc, name);
            return true;
        })) {
        if (!file.failed()) error = "the name sidecar's names could not be read back whole";
        return;
    }
    const uint64_t postingsSize = lists.place(header.docCount, options);
    header.gramCount = lists.listCount();
    const std::string table = lists.table();
    file.writeAt(header.gramTableOffset, table.data(), table.size());
    header.postingsOffset = header.gramTableOffset + table.size();
    header.checksumsOffset = align8(header.postingsOffset + postingsSize);
    std::vector<unsigned char> buffer;
    const std::vector<NameListBuilder::Window> windows = lists.windows(options.memoryBudget);
    result.postingWindows = static_cast<uint32_t>(windows.size());
    for (const NameListBuilder::Window& window : windows) {
        buffer.assign(window.end - window.begin, 0);
        bool consistent = true;
        const bool read = names.forEach([&](uint32_t doc, std::string_view name, uint8_t facts) {
            consistent = lists.fill(doc, name, facts, window, buffer.data());
            return consistent;
        });
        if (!read) {
            if (!consistent) error = "the name sidecar's names changed while it was built";
            else if (!file.failed()) error = "the name sidecar's names could not be read back whole";
            return;
        }
        file.writeAt(header.postingsOffset + window.begin, buffer.data(), buffer.size());
    }
    if (postingsSize < header.checksumsOffset - header.postingsOffset) {  // padding, so the file has its full length
        const uint64_t zero = 0;
        file.writeAt(header.postingsOffset + postingsSize, &zero, header.checksumsOffset - header.postingsOffset - postingsSize);
    }
}

// Blocks cover [sizeof(Header), checksumsOffset), read back from the file; the header is covered
// by its own hash, which includes the checksum table's hash, so every byte before the table is
// protected. Writes the table and then the header.
void writeChecksums(Header& header, ReplacingFile& file) {
    const uint64_t covered = header.checksumsOffset - sizeof(Header);
    const uint64_t blocks = (covered + kBlockSize - 1) / kBlockSize;
    header.fileSize = header.checksumsOffset + blocks * 8;
    std::vector<uint64_t> table;
    table.reserve(blocks);
    std::vector<unsigned char> chunk(kIoChunk);
    for (uint64_t at = sizeof(Header); at < header.checksumsOffset; at += kIoChunk) {
        const size_t size = std::min<uint64_t>(kIoChunk, header.checksumsOffset - at);
        if (!file.readAt(at, chunk.data(), size)) return;
        for (size_t block = 0; block < size; block += kBlockSize)
            table.push_back(blockHash(chunk.data() + block, std::min<size_t>(kBlockSize, size - block)));
    }
    header.checksumsHash = blockHash(reinterpret_cast<const unsigned char*>(table.data()), table.size() * 8);
    writeArray(file, header.checksumsOffset, table);
    header.headerHash = blockHash(reinterpret_cast<const unsigned char*>(&header), offsetof(Header, headerHash));
    file.writeAt(0, &header, sizeof header);
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
    if (opened.status == NameIndex::OpenStatus::OldFormat) result.olderFormat = true;
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

std::string rebuildNotice(const NameIndexBuildResult& built) {
    if (!built.repaired.empty()) return "the name index beside the database was damaged (" + built.repaired + "); it is rebuilt";
    if (built.olderFormat) return "the name index beside the database is of an older format; it is rebuilt";
    return {};
}

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
    const std::filesystem::path path = nameIndexPathFor(file);
    if (!options.force && sidecarIsCurrent(db, path, result)) return result;
    std::filesystem::path spill = path;
    spill += ".spill." + std::to_string(::getpid());
    NameDocSorter sorter(spill, options.memoryBudget);
    ItemsRead read;
    if (!readSnapshot(db, sorter, read, result.error)) return result;
    const IdRuns runs = idRuns(read);
    Header header = layoutHeader(read, runs, readInstance(db));  // the instance is fixed for the life of an index file
    ReplacingFile out;
    out.create(path);
    writeArray(out, header.runOrdinalsOffset, runs.ordinals);
    writeArray(out, header.runIdsOffset, runs.ids);
    writeArray(out, header.runIndexOffset, runs.index);
    NameListBuilder lists;
    writeDocuments(sorter, read, header, out, lists, result.error);
    result.sortedRuns = static_cast<uint32_t>(sorter.runsSpilled());
    if (result.error.empty()) writeLists(lists, header, out, options, result);
    if (result.error.empty()) writeChecksums(header, out);
    if (result.error.empty() && header.fileSize > UINT32_MAX * uint64_t{4}) result.error = "name sidecar too large";
    if (!result.error.empty() || !out.commit()) {
        if (result.error.empty()) result.error = out.error();
        return result;
    }
    result.ok = true;
    result.generation = header.generation;
    result.documents = header.docCount;
    result.bytes = header.fileSize;
    return result;
}

}  // namespace skimmer::index::query
