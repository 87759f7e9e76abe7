#include "index/query/columns.h"

#include "index/storage/kinds.h"
#include "index/storage/schema.h"
#include "os/utf8.h"


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

Variant columnValue(Column column, const FetchedItem& row) {
    switch (column) {
        case Column::ItemName: return Variant::ofText(row.name);
        case Column::Size: return row.size ? Variant::ofInteger(*row.size) : Variant{};
        case Column::Kind: return Variant::ofText(store::kindDisplayName(row.kind));
        case Column::ItemURL: return Variant::ofText(row.itemUrl());
        case Column::ItemPathDisplay: return Variant::ofText(row.displayedPath());
        case Column::ItemFolderPathDisplay: return Variant::ofText(row.folder());
        case Column::FileExtension: return row.ext.empty() ? Variant{} : Variant::ofText("." + row.ext);
        case Column::DateModified: return optionalDate(row.mtime);
        case Column::DateCreated: return optionalDate(row.ctime);
        case Column::FileAttributes: return Variant::ofInteger(windowsAttributes(row.attrs));
    }
    return {};
}

void fillRow(const std::vector<Column>& columns, const FetchedItem& row, os::search::RowTable& table, size_t r) {
    std::optional<std::string> path;
    const auto displayed = [&]() -> const std::string& {
        if (!path) path = row.displayedPath();
        return *path;
    };
    for (size_t c = 0; c < columns.size(); ++c) {
        Variant& cell = table.cell(c, r);
        switch (columns[c]) {
            case Column::ItemPathDisplay:
                cell = Variant::ofText(displayed());
                break;
            case Column::ItemURL:
                if (row.url || row.dir == 0 || !row.dirPath) {
                    cell = columnValue(columns[c], row);
                } else {
                    std::string url;
                    url.reserve(5 + displayed().size());
                    url.append("file:").append(displayed());
                    cell = Variant::ofText(std::move(url));
                }
                break;
            default:
                cell = columnValue(columns[c], row);
        }
    }
}

}  // namespace skimmer::index::query
