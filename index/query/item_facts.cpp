#include "index/query/item_facts.h"

#include "index/query/safecall_error.h"
#include "index/storage/item_binding.h"
#include "index/storage/kinds.h"
#include "os/utf8.h"

namespace skimmer::index::query {

void RowFacts::reset() { haveName_ = haveExt_ = haveFolder_ = havePath_ = false; }

std::string_view RowFacts::foldedName() {
    if (!haveName_) name_ = os::foldText(store::searchedText(row_.name, row_.words)), haveName_ = true;
    return name_;
}

std::string_view RowFacts::foldedExt() {
    if (!haveExt_) ext_ = os::foldText(row_.ext), haveExt_ = true;
    return ext_;
}

std::string_view RowFacts::foldedFolder() {
    if (!haveFolder_) folder_ = os::foldText(row_.folder()), haveFolder_ = true;
    return folder_;
}

std::string_view RowFacts::foldedPath() {
    if (!havePath_) path_ = os::foldText(row_.displayedPath()), havePath_ = true;
    return path_;
}

void SidecarFacts::reset(uint32_t doc, std::string_view knownName) {
    doc_ = doc;
    haveFacts_ = false;
    name_ = knownName.data() != nullptr ? knownName : index_.name(doc, place_);
    if (haveRow_) row_.reset();
    haveRow_ = haveExt_ = false;
}

std::string_view SidecarFacts::foldedExt() {
    if (!inFileSystem()) return row().foldedExt();  // derived items carry their own
    if (!haveExt_) {
        if (kindCode() == static_cast<int>(store::Kind::Folder)) ext_.clear();
        else ext_ = store::extensionOf(name_);  // the name is folded: so is its extension
        haveExt_ = true;
    }
    return ext_;
}

RowFacts& SidecarFacts::row() {
    if (!haveRow_) {
        // The sidecar is of this snapshot's generation, so its item must be there.
        if (!rows_.read(index_.itemId(doc_), row_.row())) index_.damaged("an item of the name index is missing");
        haveRow_ = true;
    }
    return row_;
}

}  // namespace skimmer::index::query
