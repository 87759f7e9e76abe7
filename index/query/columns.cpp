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

CellDraft optionalDate(const std::optional<int64_t>& seconds) {
    return seconds ? CellDraft::ofDate(oleDateFromUnix(*seconds)) : CellDraft{};
}

// A kind's display name, made once: a kind cell borrows it and copies nothing.
std::string_view kindText(int code) {
    static const std::array<std::string, store::kKindCount> names = [] {
        std::array<std::string, store::kKindCount> all;
        for (int k = 0; k < store::kKindCount; ++k) all[static_cast<size_t>(k)] = store::kindDisplayName(k);
        return all;
    }();
    // kindDisplayName names a code outside the table as the first kind.
    return names[code >= 0 && code < store::kKindCount ? static_cast<size_t>(code) : 0];
}

std::string_view copied(CellTexts& texts, std::string_view bytes) {
    char* at = texts.room(bytes.size());
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    return {at, bytes.size()};
}

// The texts of one row, each written once however many columns show it.
class RowTexts {
public:
    RowTexts(const ItemView& row, CellTexts& texts) : row_(row), texts_(texts) {}

    std::string_view name() {
        if (row_.folder) return file().substr(file_.size() - row_.name.size());
        if (!name_) name_ = copied(texts_, row_.name);
        return *name_;
    }
    std::string_view path() {
        if (row_.folder) return file().substr(kScheme.size());
        if (!path_) path_ = row_.display ? copied(texts_, *row_.display) : name();
        return *path_;
    }
    // A stored URL wins, as it does for items of other sources.
    std::string_view url() {
        if (!url_) url_ = row_.url ? copied(texts_, *row_.url) : row_.folder ? file() : path();
        return *url_;
    }
    // Empty for items outside the file system.
    std::string_view folder() { return row_.folder ? file().substr(kScheme.size(), row_.folder->size()) : std::string_view(); }

private:
    static constexpr std::string_view kScheme = "file:";

    // An entry's "file:" + path (the folder's path, '/' unless the folder is "/" itself, the name:
    // store::childPath), written once: its URL, and its path, folder and name are parts of it.
    std::string_view file() {
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
        file_ = {at, size};
        return file_;
    }

    const ItemView& row_;
    CellTexts& texts_;
    std::string_view file_;  // never empty once written: it holds at least "file:/"
    std::optional<std::string_view> name_, path_, url_;
};

CellDraft extension(const ItemView& row, CellTexts& texts) {
    std::string derived;
    if (!row.ext) derived = store::entryExtension(row.name, row.kind);
    const std::string_view ext = row.ext ? *row.ext : derived;
    if (ext.empty()) return {};
    char* at = texts.room(1 + ext.size());
    at[0] = '.';
    std::memcpy(at + 1, ext.data(), ext.size());
    return CellDraft::ofText({at, 1 + ext.size()});
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

void makeCells(const std::vector<Column>& columns, const ItemView& row, CellTexts& texts, CellDraft* cells) {
    RowTexts text(row, texts);
    CellDraft* cell = cells;
    for (const Column column : columns) {
        switch (column) {
            case Column::ItemName: *cell = CellDraft::ofText(text.name()); break;
            case Column::Size: *cell = row.size ? CellDraft::ofInteger(*row.size) : CellDraft{}; break;
            case Column::Kind: *cell = CellDraft::ofText(kindText(row.kind)); break;
            case Column::ItemURL: *cell = CellDraft::ofText(text.url()); break;
            case Column::ItemPathDisplay: *cell = CellDraft::ofText(text.path()); break;
            case Column::ItemFolderPathDisplay: *cell = CellDraft::ofText(text.folder()); break;
            case Column::FileExtension: *cell = extension(row, texts); break;
            case Column::DateModified: *cell = optionalDate(row.mtime); break;
            case Column::DateCreated: *cell = optionalDate(row.ctime); break;
            case Column::FileAttributes: *cell = CellDraft::ofInteger(windowsAttributes(row.attrs)); break;
        }
        ++cell;
    }
}

}  // namespace skimmer::index::query
