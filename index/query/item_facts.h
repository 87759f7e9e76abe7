// The two ItemFacts (matcher.h) the hit streams use: one answers name, kind and extension from the
// name sidecar and reads the SQLite row only when a term needs more; one wraps a row already read.
// The sidecar's extension is derived from the folded name: none for folders, the bytes after the
// name's last dot for other entries of the file system; items outside it ask their row.
//
// Contract: both borrow what they are given; folded texts are computed once per item and stay
// valid while the object lives and is not reset.
#pragma once

#include "index/query/item_rows.h"
#include "index/query/matcher.h"
#include "index/query/name_index_reader.h"

#include <optional>
#include <string>
#include <string_view>

namespace skimmer::index::query {

class RowFacts : public ItemFacts {
public:
    FetchedItem& row() { return row_; }
    void reset();

    std::string_view foldedName() override;
    int kindCode() override { return row_.kind; }
    bool inFileSystem() override { return row_.dir != 0; }
    std::string_view foldedExt() override;
    std::optional<int64_t> size() override { return row_.size; }
    std::optional<int64_t> mtime() override { return row_.mtime; }
    std::string_view foldedFolder() override;
    std::string_view foldedPath() override;

private:
    FetchedItem row_;
    std::string name_, ext_, folder_, path_;
    bool haveName_ = false, haveExt_ = false, haveFolder_ = false, havePath_ = false;
};

class SidecarFacts final : public ItemFacts {
public:
    SidecarFacts(NameIndex& index, RowReader& rows) : index_(index), rows_(rows) {}
    // Starts answering for another document; reuses the buffers of the last one. `knownName` is
    // its folded name when the caller has it at hand (a null view otherwise).
    void reset(uint32_t doc, std::string_view knownName = {});

    std::string_view foldedName() override { return name_; }
    int kindCode() override { return sidecar::factsKind(facts()); }
    bool inFileSystem() override { return sidecar::factsInFileSystem(facts()); }
    std::string_view foldedExt() override;
    std::optional<int64_t> size() override { return row().row().size; }
    std::optional<int64_t> mtime() override { return row().row().mtime; }
    std::string_view foldedFolder() override { return row().foldedFolder(); }
    std::string_view foldedPath() override { return row().foldedPath(); }

private:
    RowFacts& row();
    // Read when a term asks: a document met through a kind's names may be rejected by its name
    // without touching its facts byte.
    uint8_t facts() {
        if (!haveFacts_) facts_ = index_.facts(doc_), haveFacts_ = true;
        return facts_;
    }
    NameIndex& index_;
    RowReader& rows_;
    uint32_t doc_ = 0;
    uint8_t facts_ = 0;
    bool haveFacts_ = false;
    std::string_view name_;
    NameIndex::NamePlace place_;  // of the last name looked up: the next is walked to from it
    std::string ext_;
    bool haveExt_ = false;
    RowFacts row_;
    bool haveRow_ = false;
};

}  // namespace skimmer::index::query
