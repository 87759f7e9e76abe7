#include "index/query/columns.h"

#include "index/storage/kinds.h"
#include "index/storage/schema.h"
#include "os/utf8.h"

#include <array>
#include <cstring>

namespace skimmer::index::query {
namespace {

struct NamedColumn {
    const char* name;
    Column column;
};

constexpr NamedColumn kColumns[] = {
    {"System.ItemName", Column::ItemName},
    {"System.Size", Column::Size},
    {"System.Kind", Column::Kind},
    {"System.ItemURL", Column::ItemURL},
    {"System.ItemPathDisplay", Column::ItemPathDisplay},
    {"System.ItemFolderPathDisplay", Column::ItemFolderPathDisplay},
    {"System.FileExtension", Column::FileExtension},
    {"System.DateModified", Column::DateModified},
    {"System.DateCreated", Column::DateCreated},
    {"System.FileAttributes", Column::FileAttributes},
};

int64_t windowsAttributes(int64_t attrs) {
    int64_t bits = 0;
    if (attrs & store::kAttrReadOnly) bits |= 0x1;
    if (attrs & store::kAttrHidden) bits |= 0x2;
    if (attrs & store::kAttrFolder) bits |= 0x10;
    if (attrs & store::kAttrLink) bits |= 0x400;
    return bits == 0 ? 0x80 : bits;
}

Variant optionalDate(const std::optional<int64_t>& seconds) {
    return seconds ? Variant::ofDate(oleDateFromUnix(*seconds)) : Variant{};
}

// A kind's display name as a cell of static text: no kind cell copies or allocates anything.
const CellText& kindText(int code) {
    static const std::array<std::string, store::kKindCount> names = [] {
        std::array<std::string, store::kKindCount> all;
        for (int k = 0; k < store::kKindCount; ++k) all[static_cast<size_t>(k)] = store::kindDisplayName(k);
        return all;
    }();
    static const std::array<CellText, store::kKindCount> texts = [] {
        std::array<CellText, store::kKindCount> all;
        for (size_t k = 0; k < all.size(); ++k) all[k] = CellText(nullptr, names[k]);
        return all;
    }();
    // kindDisplayName names a code outside the table as the first kind.
    return texts[code >= 0 && code < store::kKindCount ? static_cast<size_t>(code) : 0];
}

CellText copied(CellTexts& texts, std::string_view bytes) {
    char* at = texts.room(bytes.size());
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    return texts.text({at, bytes.size()});
}

// The texts of one row, each written once however many columns show it. Cells are copies of these
// (a reference each).
class RowTexts {
public:
    RowTexts(const ItemView& row, CellTexts& texts) : row_(row), texts_(texts) {}

    CellText name() {
        if (row_.folder) return file().substr(file_.size() - row_.name.size(), row_.name.size());
        if (!name_) name_ = copied(texts_, row_.name);
        return *name_;
    }
    CellText path() {
        if (row_.folder) return file().substr(kScheme.size(), file_.size() - kScheme.size());
        if (!path_) path_ = row_.display ? copied(texts_, *row_.display) : name();
        return *path_;
    }
    // A stored URL wins, as it does for items of other sources.
    CellText url() {
        if (!url_) url_ = row_.url ? copied(texts_, *row_.url) : row_.folder ? file() : path();
        return *url_;
    }
    // Empty for items outside the file system.
    CellText folder() {
        if (row_.folder) return file().substr(kScheme.size(), row_.folder->size());
        return {};
    }

private:
    static constexpr std::string_view kScheme = "file:";

    // An entry's "file:" + path (the folder's path, '/' unless the folder is "/" itself, the name:
    // store::childPath), written once: its URL, and its path, folder and name are parts of it.
    const CellText& file() {
        if (!file_.empty()) return file_;
        const std::string_view folder = *row_.folder;
        const std::string_view parent = folder == "/" ? std::string_view() : folder;
        const size_t size = kScheme.size() + parent.size() + 1 + row_.name.size();
        char* at = texts_.room(size);
        std::memcpy(at, kScheme.data(), kScheme.size());
        char* path = at + kScheme.size();
        if (!parent.empty()) std::memcpy(path, parent.data(), parent.size());
        path[parent.size()] = '/';
        if (!row_.name.empty()) std::memcpy(path + parent.size() + 1, row_.name.data(), row_.name.size());
        file_ = texts_.text({at, size});
        return file_;
    }

    const ItemView& row_;
    CellTexts& texts_;
    CellText file_;  // never empty once written: it holds at least "file:/"
    std::optional<CellText> name_, path_, url_;
};

Variant extension(const ItemView& row, CellTexts& texts) {
    std::string derived;
    if (!row.ext) derived = store::entryExtension(row.name, row.kind);
    const std::string_view ext = row.ext ? *row.ext : derived;
    if (ext.empty()) return {};
    char* at = texts.room(1 + ext.size());
    at[0] = '.';
    std::memcpy(at + 1, ext.data(), ext.size());
    return Variant::ofText(texts.text({at, 1 + ext.size()}));
}

}  // namespace

std::optional<std::vector<Column>> parseColumns(std::string_view list, std::string& unknown) {
    std::vector<Column> columns;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string name(os::trim(list.substr(start, comma - start)));
        const NamedColumn* found = nullptr;
        for (const NamedColumn& candidate : kColumns)
            if (os::equalsAsciiCaseless(candidate.name, name)) found = &candidate;
        if (found == nullptr) {
            unknown = name;
            return std::nullopt;
        }
        columns.push_back(found->column);
        start = comma + 1;
    }
    return columns;
}

void appendCells(const std::vector<Column>& columns, const ItemView& row, CellTexts& texts, std::vector<Variant>& cells) {
    RowTexts text(row, texts);
    for (const Column column : columns) {
        switch (column) {
            case Column::ItemName: cells.push_back(Variant::ofText(text.name())); break;
            case Column::Size: cells.push_back(row.size ? Variant::ofInteger(*row.size) : Variant{}); break;
            case Column::Kind: cells.push_back(Variant::ofText(kindText(row.kind))); break;
            case Column::ItemURL: cells.push_back(Variant::ofText(text.url())); break;
            case Column::ItemPathDisplay: cells.push_back(Variant::ofText(text.path())); break;
            case Column::ItemFolderPathDisplay: cells.push_back(Variant::ofText(text.folder())); break;
            case Column::FileExtension: cells.push_back(extension(row, texts)); break;
            case Column::DateModified: cells.push_back(optionalDate(row.mtime)); break;
            case Column::DateCreated: cells.push_back(optionalDate(row.ctime)); break;
            case Column::FileAttributes: cells.push_back(Variant::ofInteger(windowsAttributes(row.attrs))); break;
        }
    }
}

}  // namespace skimmer::index::query
