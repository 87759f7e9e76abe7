// Streams of sidecar documents in ascending order (= search order): a stored posting list, a scan
// of the packed names for a word, and all documents. Each yields every document at most once and
// does only the work needed for the next one, so the first hits never wait for the last.
//
// Contract: streams borrow the NameIndex, which must outlive them; a posting list that is not
// strictly ascending or points past the last document is reported as damage (SafecallError).
#pragma once

#include "index/query/name_index_reader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

class DocStream {
public:
    virtual ~DocStream() = default;
    virtual bool next(uint32_t& doc) = 0;
    // The folded name of the document `next` gave last, when the stream met it on the way (a
    // scan does); a null view otherwise. Valid while the NameIndex lives.
    virtual std::string_view knownName() const { return {}; }
};

// Decodes a batch of documents at a time in a tight loop (a gap under 128, the common case in the
// long lists, is one byte), so that walking a list costs about a nanosecond per document. A
// malformed batch is reported as damage before any of its documents is yielded.
class PostingStream final : public DocStream {
public:
    PostingStream(NameIndex& index, const GramList& list) : index_(&index), list_(list) {}
    bool next(uint32_t& doc) override {
        if (head_ == filled_ && !refill()) return false;
        doc = docs_[head_++];
        return true;
    }
    // Moves up to `max` of the next documents to `out`; returns how many (0 at the end).
    uint32_t take(uint32_t* out, uint32_t max);
    // Keeps, in place, those of the `count` ascending `docs` that this list holds, passing over
    // its documents up to the last of them; returns how many are kept.
    uint32_t keepHeld(uint32_t* docs, uint32_t count);
    bool atEnd() const { return head_ == filled_ && at_ == list_.length; }

    static constexpr uint32_t kBatch = 64;

private:
    bool refill();

    NameIndex* index_;
    GramList list_;
    size_t at_ = 0;
    uint64_t last_ = 0;
    bool started_ = false;
    uint32_t head_ = 0, filled_ = 0;
    uint32_t docs_[kBatch] = {};
};

// Documents whose folded name contains `word` (which holds no NUL), found by a substring search
// over the packed names.
class ScanStream final : public DocStream {
public:
    ScanStream(NameIndex& index, std::string word) : index_(index), word_(std::move(word)) {}
    bool next(uint32_t& doc) override;
    std::string_view knownName() const override { return name_; }

private:
    bool nextNearby(uint32_t& doc);
    bool nextNameHolds();
    NameIndex& index_;
    std::string word_;
    uint64_t pos_ = 0;
    NameIndex::NamePlace place_;  // of the last hit
    std::string_view name_;
    // The verified window of names last fetched: hits in it are found without fetching (and
    // checking the verification of) the window again for every hit.
    uint64_t chunkFrom_ = 0;
    std::string_view chunk_;
};

// Documents in every one of the given stored lists (at least one): a batch of the first list's
// documents at a time is filtered by each other list in turn, a merge without branches to
// mispredict (the lists a word brings are of like sizes, so every list is read to the end anyway).
class IntersectStream final : public DocStream {
public:
    IntersectStream(NameIndex& index, const std::vector<GramList>& lists);
    bool next(uint32_t& doc) override;

private:
    NameIndex& index_;
    std::vector<PostingStream> streams_;  // the first drives: the caller puts the shortest there
    uint32_t batch_[PostingStream::kBatch] = {};
    uint32_t head_ = 0, count_ = 0;
};

// The documents of a few kinds (stored kind lists; a document has one kind), merged in ascending
// order, with their names when the kind keeps them, so the cost follows the kinds' total size.
// A names block that does not pair up with its list is reported as damage.
class KindStream final : public DocStream {
public:
    KindStream(NameIndex& index, const std::vector<KindList>& kinds);
    bool next(uint32_t& doc) override;
    std::string_view knownName() const override { return name_; }

private:
    struct Source {
        PostingStream docs;
        const char* names;     // the next name; null when the kind keeps none
        const char* namesEnd;
        uint32_t head = 0;
        bool live = false;
        std::string_view name;  // of `head`
    };
    void advance(Source& source);

    NameIndex& index_;
    std::vector<Source> sources_;
    std::string_view name_;
    bool primed_ = false;
};

// Documents met earlier, with their names, in the order given (ascending).
struct NamedDoc {
    uint32_t doc;
    std::string_view name;
};
class NamedDocsStream final : public DocStream {
public:
    explicit NamedDocsStream(std::vector<NamedDoc> docs) : docs_(std::move(docs)) {}
    bool next(uint32_t& doc) override {
        if (at_ >= docs_.size()) return false;
        doc = docs_[at_++].doc;
        return true;
    }
    std::string_view knownName() const override { return at_ == 0 ? std::string_view() : docs_[at_ - 1].name; }

private:
    std::vector<NamedDoc> docs_;
    size_t at_ = 0;
};

class AllDocsStream final : public DocStream {
public:
    explicit AllDocsStream(uint32_t count) : count_(count) {}
    bool next(uint32_t& doc) override {
        if (next_ >= count_) return false;
        doc = next_++;
        return true;
    }

private:
    uint32_t count_;
    uint32_t next_ = 0;
};

}  // namespace skimmer::index::query
