// Fuzzes the name sidecar reader with damaged files. Half of the inputs get their checksums
// recomputed first, so that the structural checks behind them are reached, not only the hashes.
// Every access must either work or report damage (SafecallError); nothing may crash or read
// outside the file.
#include "index/query/doc_streams.h"
#include "index/query/name_index_format.h"
#include "index/query/name_index_reader.h"
#include "index/query/safecall_error.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace skimmer::index::query;
using namespace skimmer::index::query::sidecar;

void fixChecksums(std::string& bytes) {
    Header header;
    std::memcpy(&header, bytes.data(), sizeof header);
    header.checksumsOffset = bytes.size();
    std::string table;
    for (uint64_t at = sizeof(Header); at < bytes.size(); at += kBlockSize) {
        const uint64_t hash = blockHash(reinterpret_cast<const unsigned char*>(bytes.data()) + at,
                                        std::min<uint64_t>(kBlockSize, bytes.size() - at));
        table.append(reinterpret_cast<const char*>(&hash), 8);
    }
    header.fileSize = bytes.size() + table.size();
    header.blockSize = kBlockSize;
    header.checksumsHash = blockHash(reinterpret_cast<const unsigned char*>(table.data()), table.size());
    header.headerHash = blockHash(reinterpret_cast<const unsigned char*>(&header), offsetof(Header, headerHash));
    std::memcpy(bytes.data(), &header, sizeof header);
    bytes += table;
}

void exercise(NameIndex& index) {
    const uint32_t docs = std::min<uint32_t>(index.docCount(), 2000);
    NameIndex::NamePlace near;
    for (uint32_t doc = 0; doc < docs; ++doc) {
        (void)index.name(doc, near);
        (void)index.itemId(doc);
        (void)index.facts(doc);
    }
    std::vector<GramList> stored;
    for (const char* gram : {"a", "e", "ab", "re", "rep", "ort", "ree"}) {
        for (GramType type : {kContains1, kContains2, kContains3, kStarts1, kStarts2}) {
            const GramList list = index.gram(type, gram);
            if (list.count == 0 || list.dense) continue;
            stored.push_back(list);
            PostingStream stream(index, list);
            uint32_t doc;
            for (int n = 0; n < 100000 && stream.next(doc); ++n) (void)index.name(doc);
        }
    }
    for (size_t from = 0; from + 1 < stored.size(); ++from) {  // batches filtered list by list
        IntersectStream both(index, {stored[from], stored[from + 1], stored.back()});
        uint32_t doc;
        for (int n = 0; n < 100000 && both.next(doc); ++n) (void)index.itemId(doc);
    }
    std::vector<KindList> kinds;
    for (const KindList& kind : index.kindLists())
        if (!kind.list.dense) kinds.push_back(kind);
    KindStream byKind(index, kinds);
    uint32_t kindDoc;
    for (int n = 0; n < 100000 && byKind.next(kindDoc); ++n) (void)byKind.knownName().size();
    ScanStream scan(index, "e");
    uint32_t doc;
    for (int n = 0; n < 100000 && scan.next(doc); ++n) (void)index.itemId(doc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.size() >= sizeof(Header) && (bytes.size() & 1)) fixChecksums(bytes);
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/name_index_fuzz." + std::to_string(::getpid());
    }();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    NameIndex::Opened opened = NameIndex::open(path);
    if (opened.index) {
        try {
            exercise(*opened.index);
        } catch (const SafecallError&) {
            // reported damage is the expected outcome for most inputs
        }
    }
    return 0;
}
