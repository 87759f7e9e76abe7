// The desktop search service as the index engine uses it: a search manager (indexer version,
// catalog by name) → catalog manager (item counts, query helper) → query helper (select list,
// connection string, SQL from a user query) → connection (open, execute) → record set (end of
// file, the next rows as a column × row table of variants, close).
//
// Contract:
// - One implementation per system behind `openDesktopSearch`: on Windows the system's search
//   service through its COM objects and ADO (desktop_search_win32.cpp); on Linux the desktop
//   index (index/query/desktop_search_posix.cpp: os/ cannot reach the index, so the index
//   implements this face).
// - Every failing call throws SearchError: what() is exactly "Safecall error: '%X'" with the
//   failing HRESULT in upper-case hexadecimal without leading zeros, detail() says in plain words
//   what went wrong. Nothing else is thrown on purpose.
// - Text: the user query is the plug-in's narrow text (the ANSI code page on Windows). Text cells
//   (CellText: read as a std::string_view, kept as a std::string), the connection string and the
//   SQL are UTF-8, so nothing the service holds is lost on the way
//   (a mail item's URL keeps the characters its entry id is written in); on Linux a name that is
//   not UTF-8 keeps its bytes. `HitConventions::textFromCell` gives a cell's text as the plug-in
//   writes it.
// - Threads and ownership: a DesktopSearch and everything made from it belong to the thread that
//   opened it (on Windows COM stays initialised for that thread while it lives). Objects made from
//   it must be destroyed before it; a record set before its connection, a helper before its catalog.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os::search {

using HResult = uint32_t;

// "Safecall error: '80004005'" for 0x80004005.
std::string safecallMessage(HResult code);

class SearchError : public std::runtime_error {
public:
    SearchError(HResult code, std::string detail);
    HResult code() const { return code_; }
    const std::string& detail() const { return detail_; }

private:
    HResult code_;
    std::string detail_;
};

// The bytes of a text cell. A text either owns its bytes (a std::string, as a text made from one
// does) or borrows them from the row table that holds the cell: a service may write the texts of
// many cells into blocks the table keeps alive (RowTable::keepAlive; the index writes a row's URL,
// path and name as views of one "file:<path>"), so filling a table copies no text per cell.
// Copying or moving a cell always gives a text that owns its bytes (a borrowed one is copied), so
// a cell taken out of its table never outlives what it views.
class CellText {
public:
    CellText() = default;
    explicit CellText(std::string text) : owned_(std::move(text)) {}
    explicit CellText(const char* text) : owned_(text) {}
    CellText(const CellText& other) : owned_(other.view()) {}
    CellText(CellText&& other) : owned_(other.borrowed_ ? std::string(other.view()) : std::move(other.owned_)) {}
    CellText& operator=(const CellText& other);
    CellText& operator=(CellText&& other);

    // Makes this text a view of `bytes`, which the table holding this cell keeps alive (or which
    // are static). For the service that fills the table; nothing is copied or counted.
    void borrow(std::string_view bytes) {
        owned_.clear();
        borrowed_ = bytes.data();
        borrowedSize_ = bytes.size();
    }

    std::string_view view() const {
        return borrowed_ != nullptr ? std::string_view(borrowed_, borrowedSize_) : std::string_view(owned_);
    }
    operator std::string_view() const { return view(); }  // NOLINT: read where a text is read
    operator std::string() const { return std::string(view()); }  // NOLINT: a copy the reader keeps
    const char* data() const { return view().data(); }
    size_t size() const { return view().size(); }
    bool empty() const { return view().empty(); }
    char operator[](size_t at) const { return view()[at]; }

    friend bool operator==(const CellText& a, const CellText& b) { return a.view() == b.view(); }
    friend bool operator==(const CellText& a, std::string_view b) { return a.view() == b; }

private:
    std::string owned_;
    const char* borrowed_ = nullptr;  // null: the text is owned_
    size_t borrowedSize_ = 0;
};

// A cell of a row table: empty, text, a 64-bit integer or an OLE automation date (days since
// 30 December 1899, local time, fraction = time of day).
enum class VarType { Empty, Text, Integer, Date };

struct Variant {
    VarType type = VarType::Empty;
    CellText text;
    int64_t integer = 0;
    double date = 0;

    static Variant ofText(std::string value) { return Variant{VarType::Text, CellText(std::move(value)), 0, 0}; }
    static Variant ofInteger(int64_t value) { return Variant{VarType::Integer, {}, value, 0}; }
    static Variant ofDate(double value) { return Variant{VarType::Date, {}, 0, value}; }

    // The text decoded from UTF-8; a byte that is not UTF-8 becomes U+DC00 + byte, so nothing is lost.
    std::wstring wide() const;
};

// A column × row table: cell(column, row).
class RowTable {
public:
    RowTable(size_t columns, size_t rows) : columns_(columns), rows_(rows), cells_(columns * rows) {}
    size_t columnCount() const { return columns_; }
    size_t rowCount() const { return rows_; }
    const Variant& cell(size_t column, size_t row) const { return cells_[column * rows_ + row]; }
    Variant& cell(size_t column, size_t row) { return cells_[column * rows_ + row]; }

    // Keeps `block` alive as long as the table: bytes its cells borrow (CellText::borrow).
    void keepAlive(std::shared_ptr<const void> block) {
        if (!kept_) kept_ = std::move(block);
        else keptMore_.push_back(std::move(block));
    }

private:
    size_t columns_, rows_;
    std::vector<Variant> cells_;
    // A table of a few rows borrows from one block: it is kept without a list (and the list's
    // allocation) of its own.
    std::shared_ptr<const void> kept_;
    std::vector<std::shared_ptr<const void>> keptMore_;
};

struct ItemsToIndex {
    int64_t incremental = 0;
    int64_t notificationQueue = 0;
    int64_t highPriority = 0;
};

class Recordset {
public:
    virtual ~Recordset() = default;
    virtual bool eof() = 0;
    // Up to `count` next rows, one column per name of the select list (fewer rows at the end).
    // Nothing when the rows came back in a shape whose size cannot be measured (the rows are
    // consumed all the same).
    virtual std::optional<RowTable> getRows(int count) = 0;
    virtual void close() = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual void open(std::string_view connectionString) = 0;
    // The rows of `sql`, read forward.
    virtual std::unique_ptr<Recordset> execute(std::string_view sql) = 0;
    virtual void close() = 0;
};

class QueryHelper {
public:
    virtual ~QueryHelper() = default;
    // Comma-separated property names ("System.ItemName,System.Size").
    virtual void putQuerySelectColumns(std::string_view columns) = 0;
    virtual std::string connectionString() = 0;
    // SQL for a query written in the service's query syntax (the plug-in's narrow text).
    virtual std::string generateSqlFromUserQuery(std::string_view userQuery) = 0;
};

class CatalogManager {
public:
    virtual ~CatalogManager() = default;
    virtual int64_t numberOfItems() = 0;
    virtual ItemsToIndex numberOfItemsToIndex() = 0;
    virtual std::unique_ptr<QueryHelper> getQueryHelper() = 0;
};

class SearchManager {
public:
    virtual ~SearchManager() = default;
    virtual std::string getIndexerVersionStr() = 0;
    virtual std::unique_ptr<CatalogManager> getCatalog(std::string_view name) = 0;
};

// The service opened for one thread. Throws SearchError when what it makes cannot be made:
// createSearchManager when the service is not installed, createConnection when the connection
// object does not exist.
class DesktopSearch {
public:
    virtual ~DesktopSearch() = default;
    virtual std::unique_ptr<SearchManager> createSearchManager() = 0;
    virtual std::unique_ptr<Connection> createConnection() = 0;
};

// Opens the service for the calling thread. Throws SearchError when the thread cannot use it at
// all (Windows: COM cannot be initialised). `indexFile` is the desktop index's database on Linux;
// Windows has one system index and ignores it.
std::unique_ptr<DesktopSearch> openDesktopSearch(const std::filesystem::path& indexFile);

// Linux: the desktop index's database at its default place; Windows: empty (no file of ours).
std::filesystem::path defaultIndexFile();

// How this system's service writes an item, for turning its rows into hits.
struct HitConventions {
    // Where a path splits into folder and name: the folder keeps the separator it ends in.
    std::string_view pathSeparators;
    // The kind text of an item that is a symbolic link (its hit stands for the target); empty
    // when the service never reports one.
    std::string_view symbolicLinkKind;
    // A text cell as the plug-in writes it (Windows: the ANSI code page).
    std::string (*textFromCell)(std::string_view cell);
    // The path that a "file:" URL names, given what follows "file:" (Windows: '/' becomes '\').
    std::string (*pathFromFileUrl)(std::string_view afterScheme);
};

const HitConventions& hitConventions();

}  // namespace skimmer::os::search
