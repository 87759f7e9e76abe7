#include "index/query/doc_streams.h"

#include "index/query/find_bytes.h"

#include <algorithm>
#include <cstring>

namespace skimmer::index::query {

bool PostingStream::next(uint32_t& doc) {
    if (at_ >= list_.length) return false;
    uint64_t value = 0;
    for (int shift = 0;; shift += 7) {
        if (at_ >= list_.length || shift > 28) index_.damaged("a posting list is malformed");
        const unsigned char byte = list_.bytes[at_++];
        value |= uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) break;
    }
    const uint64_t next = started_ ? uint64_t{last_} + value : value;
    if ((started_ && value == 0) || next >= index_.docCount()) index_.damaged("a posting list is malformed");
    started_ = true;
    last_ = static_cast<uint32_t>(next);
    doc = last_;
    return true;
}

IntersectStream::IntersectStream(NameIndex& index, const std::vector<GramList>& lists) : current_(lists.size(), 0) {
    streams_.reserve(lists.size());
    for (const GramList& list : lists) streams_.emplace_back(index, list);
}

bool IntersectStream::next(uint32_t& doc) {
    if (done_ || streams_.empty()) return false;
    if (!primed_) {
        for (size_t i = 0; i < streams_.size(); ++i)
            if (!streams_[i].next(current_[i])) return done_ = true, false;
        primed_ = true;
    } else if (!streams_[0].next(current_[0])) {
        return done_ = true, false;
    }
    uint32_t target = *std::max_element(current_.begin(), current_.end());
    for (bool agreed = false; !agreed;) {
        agreed = true;
        for (size_t i = 0; i < streams_.size(); ++i) {
            while (current_[i] < target)
                if (!streams_[i].next(current_[i])) return done_ = true, false;
            if (current_[i] > target) {
                target = current_[i];
                agreed = false;
            }
        }
    }
    doc = target;
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
