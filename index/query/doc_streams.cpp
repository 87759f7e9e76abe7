#include "index/query/doc_streams.h"

#include "index/query/find_bytes.h"

#include <algorithm>
#include <cstring>

namespace skimmer::index::query {

namespace {

// The rest of a varint whose first byte (`value`, top bit set) was read: at most five bytes in
// all. False when it is longer or runs past `end`.
bool varintRest(uint64_t& value, const unsigned char*& p, const unsigned char* end) {
    value &= 0x7F;
    for (int shift = 7;; shift += 7) {
        if (p == end || shift > 28) return false;
        const unsigned char byte = *p++;
        value |= uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) return true;
    }
}

}  // namespace

bool PostingStream::refill() {
    const unsigned char* p = list_.bytes + at_;
    const unsigned char* const end = list_.bytes + list_.length;
    if (p == end) return false;
    uint64_t last = last_;
    uint32_t n = 0;
    bool malformed = false;
    if (!started_) {  // the first document is stored as it is, the others as gaps above 0
        uint64_t value = *p++;
        malformed = value >= 0x80 && !varintRest(value, p, end);
        docs_[n++] = static_cast<uint32_t>(last = value);
        started_ = true;
    }
    for (; n < kBatch && p != end && !malformed; ++n) {
        uint64_t value = *p++;
        if (value >= 0x80) malformed = !varintRest(value, p, end);
        malformed |= value == 0;
        last += value;
        docs_[n] = static_cast<uint32_t>(last);
    }
    // Gaps are positive, so the batch ascends and its last document is its largest.
    if (malformed || last >= index_->docCount()) index_->damaged("a posting list is malformed");
    at_ = static_cast<size_t>(p - list_.bytes);
    last_ = last;
    head_ = 0;
    filled_ = n;
    return true;
}

uint32_t PostingStream::take(uint32_t* out, uint32_t max) {
    if (head_ == filled_ && !refill()) return 0;
    const uint32_t n = std::min(max, filled_ - head_);
    std::memcpy(out, docs_ + head_, n * sizeof *out);
    head_ += n;
    return n;
}

uint32_t PostingStream::keepHeld(uint32_t* docs, uint32_t count) {
    uint32_t kept = 0, at = 0;
    while (at < count && (head_ != filled_ || refill())) {
        uint32_t head = head_;
        while (at < count && head < filled_) {
            const uint32_t wanted = docs[at], held = docs_[head];
            docs[kept] = wanted;  // kept <= at: never a document still to be read
            kept += wanted == held;
            at += wanted <= held;
            head += held <= wanted;
        }
        head_ = head;
    }
    return kept;
}

IntersectStream::IntersectStream(NameIndex& index, const std::vector<GramList>& lists) : index_(index) {
    streams_.reserve(lists.size());
    for (const GramList& list : lists) streams_.emplace_back(index, list);
}

bool IntersectStream::next(uint32_t& doc) {
    while (head_ == count_) {
        if (streams_.empty()) return false;
        head_ = 0;
        count_ = streams_[0].take(batch_, PostingStream::kBatch);
        for (size_t i = 1; i < streams_.size() && count_ != 0; ++i) count_ = streams_[i].keepHeld(batch_, count_);
        const bool ended = std::any_of(streams_.begin(), streams_.end(), [](const PostingStream& s) { return s.atEnd(); });
        if (count_ == 0 && ended) streams_.clear();  // no document can follow
        index_.prefetch(batch_, count_);  // each is read next: its name is checked, a hit's id looked up
    }
    doc = batch_[head_++];
    return true;
}

KindStream::KindStream(NameIndex& index, const std::vector<KindList>& kinds) : index_(index) {
    sources_.reserve(kinds.size());
    for (const KindList& kind : kinds) {
        const auto* names = reinterpret_cast<const char*>(kind.names.bytes);
        sources_.push_back({PostingStream(index, kind.list), names, names ? names + kind.names.length : nullptr});
    }
}

void KindStream::advance(Source& source) {
    source.live = source.docs.next(source.head);
    if (source.names == nullptr) return;
    if (!source.live) {
        if (source.names != source.namesEnd) index_.damaged("a kind's names outnumber its documents");
        return;
    }
    const void* nul = std::memchr(source.names, 0, static_cast<size_t>(source.namesEnd - source.names));
    if (nul == nullptr) index_.damaged("a kind's names are fewer than its documents");
    source.name = {source.names, static_cast<size_t>(static_cast<const char*>(nul) - source.names)};
    source.names = static_cast<const char*>(nul) + 1;
}

bool KindStream::next(uint32_t& doc) {
    if (!primed_) {
        for (Source& source : sources_) advance(source);
        primed_ = true;
    }
    // Few kinds (a query allows a handful): a linear pass over their heads is cheapest.
    Source* best = nullptr;
    for (Source& source : sources_)
        if (source.live && (best == nullptr || source.head < best->head)) best = &source;
    if (best == nullptr) return false;
    doc = best->head;
    name_ = best->names ? best->name : std::string_view();
    for (Source& source : sources_)  // a document in two lists is yielded once
        while (source.live && source.head == doc) advance(source);
    return true;
}

// The name after the last one met, and whether it holds the word; inside the verified window
// without asking the index.
bool ScanStream::nextNameHolds() {
    const uint64_t from = place_.end;
    const void* nul = nullptr;
    if (from >= chunkFrom_ && from < chunkFrom_ + chunk_.size())
        nul = std::memchr(chunk_.data() + (from - chunkFrom_), 0, chunk_.size() - (from - chunkFrom_));
    if (nul != nullptr) {
        const char* const start = chunk_.data() + (from - chunkFrom_);
        const auto length = static_cast<size_t>(static_cast<const char*>(nul) - start);
        place_ = {place_.doc + 1, from, from + length + 1};
        name_ = {start, length};
    } else {
        name_ = index_.name(place_.doc + 1, place_);
    }
    return findBytes(name_, word_) != nullptr;
}

// A common word (one letter) is in most names: the names right after a hit are tried one by one,
// which costs far less than a search that must then find where the name it hit starts.
bool ScanStream::nextNearby(uint32_t& doc) {
    constexpr int kNearby = 4;
    for (int k = 0; k < kNearby && place_.doc + 1 < index_.docCount(); ++k) {
        const bool holds = nextNameHolds();
        pos_ = place_.end;
        if (holds) {
            doc = place_.doc;
            return true;
        }
    }
    return false;
}

bool ScanStream::next(uint32_t& doc) {
    constexpr size_t kChunk = 256 * 1024;
    const uint64_t total = index_.namesBytes();
    if (place_.doc != UINT32_MAX && !word_.empty() && nextNearby(doc)) return true;
    while (pos_ < total && !word_.empty()) {
        if (pos_ < chunkFrom_ || pos_ + word_.size() > chunkFrom_ + chunk_.size()) {
            chunk_ = index_.namesFrom(pos_, kChunk + word_.size());
            chunkFrom_ = pos_;
            if (chunk_.size() < word_.size()) break;
        }
        const std::string_view rest = chunk_.substr(pos_ - chunkFrom_);
        const char* hit = findBytes(rest, word_);
        if (hit == nullptr) {
            pos_ += rest.size() - word_.size() + 1;
            continue;
        }
        const uint64_t offset = pos_ + static_cast<uint64_t>(hit - rest.data());
        place_ = index_.docAtNameOffset(offset, place_);
        pos_ = place_.end;
        name_ = index_.nameAt(place_);
        doc = place_.doc;
        return true;
    }
    pos_ = total;
    return false;
}

}  // namespace skimmer::index::query
