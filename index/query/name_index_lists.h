// The posting lists of the name sidecar (see name_index_format.h): which lists there are, how
// long each is, where each goes in the postings section, and their bytes.
//
// Contract:
// - count() is called once per document in document order (0, 1, 2, ...) with its folded name
//   (no NUL) and facts byte. chooseDense() then marks the dense lists; when it returns true, some
//   3-byte grams may get lists (those of two dense 2-byte grams) and countTriples() is called for
//   the documents again, in the same order with the same names. place() then fixes every list's
//   place and returns the section's size.
// - fill() is then called for the documents again, in the same order with the same names, once
//   per window of windows(): it writes the lists lying in that window (each list lies wholly in
//   one) into `out`, which holds the window's bytes. A window holds at most `budget` bytes unless
//   one list alone is longer. fill() returns false, writing nothing out of bounds, when a list
//   would outgrow what count() measured (the names were not the same).
// - Memory: a fixed table of about 0.8 MB plus 48 bytes per list met, plus 1 KB per dense 2-byte
//   gram that begins a 3-byte gram met.
#pragma once

#include "index/query/name_index_builder.h"
#include "index/query/name_index_format.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

class NameListBuilder {
public:
    struct Window {
        uint64_t begin = 0;  // offsets in the postings section
        uint64_t end = 0;
    };

    void count(uint32_t doc, std::string_view name, uint8_t facts);
    // Marks the dense lists; true when countTriples() must be called for every document.
    bool chooseDense(uint32_t docCount, const NameIndexBuildOptions& options);
    void countTriples(uint32_t doc, std::string_view name);
    // Marks the dense 3-byte gram lists and places the stored lists in key order; returns the
    // postings' size.
    uint64_t place(uint32_t docCount, const NameIndexBuildOptions& options);
    // The gram table (sidecar::GramEntry per list, in key order).
    std::string table() const;
    size_t listCount() const { return lists_.size(); }
    std::vector<Window> windows(uint64_t budget) const;
    bool fill(uint32_t doc, std::string_view name, uint8_t facts, const Window& window, unsigned char* out);

private:
    struct List {
        uint32_t slot = 0;
        uint32_t count = 0;
        uint32_t last = 0;    // last document seen by the current pass
        bool dense = false;   // not stored
        uint64_t bytes = 0;   // encoded size
        uint64_t offset = 0;  // from the postings section
        uint64_t cursor = 0;  // where the filling pass writes next
    };
    void note(uint32_t& index, uint32_t slot, uint32_t doc, size_t nameSize);
    bool put(uint32_t index, uint32_t doc, std::string_view name, const Window& window, unsigned char* out);
    // Calls found(index) with the list index + 1 slot of every 3-byte gram of `name` whose two
    // 2-byte grams are dense; the slot is made on the way when `make`, else null when absent.
    template <typename Found>
    void forEachTriple(std::string_view name, bool make, Found&& found);

    std::vector<uint32_t> table_;  // list index + 1 per slot
    std::vector<List> lists_;      // in order of first appearance
    std::vector<uint32_t> order_;  // list indexes in key order
    // 3-byte grams, in two levels: per 2-byte gram, 1 + its rank among the dense ones (0: not
    // dense); per dense 2-byte gram that begins a 3-byte gram met, list index + 1 per third byte.
    // After place(), a dense 3-byte gram's list index is kDenseTriple.
    std::vector<uint32_t> denseRank_;
    std::vector<std::unique_ptr<uint32_t[]>> triples_;
    static constexpr uint32_t kDenseTriple = UINT32_MAX;
    uint64_t triplesFrom_ = 0, triplesTo_ = 0;  // where the stored 3-byte gram lists lie
};

}  // namespace skimmer::index::query
