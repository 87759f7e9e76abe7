#include "index/sources/browser_items.h"

#include "index/sources/browser_copy.h"
#include "index/storage/schema.h"
#include "os/utf8.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <unordered_map>

namespace skimmer::index::store {

namespace {

bool isBrowserKind(int kind) { return kind == static_cast<int>(Kind::Favorite) || kind == static_cast<int>(Kind::WebHistory); }

bool isControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

// The newest record per URL; its title, or the newest non-empty one.
class Merged {
public:
    void add(BrowserVisit visit) {
        if (!acceptedBrowserUrl(visit.url)) return;
        const auto it = byUrl_.find(visit.url);
        if (it == byUrl_.end()) {
            std::string url = visit.url;
            byUrl_.emplace(std::move(url), std::move(visit));
            return;
        }
        BrowserVisit& kept = it->second;
        const bool newer = visit.time > kept.time;
        if (visit.title.empty() || (!newer && !kept.title.empty())) {
            kept.time = std::max(kept.time, visit.time);
            return;
        }
        kept.title = std::move(visit.title);
        kept.time = std::max(kept.time, visit.time);
    }
    void reserve(size_t more) { byUrl_.reserve(byUrl_.size() + more); }
    const std::unordered_map<std::string, BrowserVisit>& byUrl() const { return byUrl_; }

private:
    std::unordered_map<std::string, BrowserVisit> byUrl_;
};

struct Gathered {
    Merged bookmarks, history;
    bool bookmarksComplete = true, historyComplete = true;
    bool retry = false;  // a failure that the same files may not give again
    std::vector<std::string> notes;
};

std::string sourceName(BrowserFormat format) {
    switch (format) {
        case BrowserFormat::FirefoxPlaces: return "Firefox places";
        case BrowserFormat::ChromiumBookmarks: return "Chromium bookmarks";
        case BrowserFormat::ChromiumHistory: return "Chromium history";
    }
    return "browser file";
}

// The private folder for copies, made when the first database needs it.
class CopyFolder {
public:
    explicit CopyFolder(std::filesystem::path parent) : parent_(std::move(parent)) {}
    os::TempDir* get(Status& status) {
        if (!dir_ && error_.empty()) {
            const std::string stamp = std::to_string(::getpid());
            dir_ = os::TempDir::create("skimmer-browsers", stamp, error_, parent_);
            // A folder we may not write in still leaves $TMPDIR.
            if (!dir_ && !parent_.empty()) dir_ = os::TempDir::create("skimmer-browsers", stamp, error_);
            if (dir_) error_.clear();
        }
        if (!dir_) status = Status::failure("no private folder to copy it into: " + error_);
        return dir_.get();
    }
    // Removes the copies; a failure is returned as a note.
    std::optional<std::string> remove() {
        std::string error;
        if (!dir_ || dir_->remove(error)) return std::nullopt;
        return "private copies of browser databases not removed: " + error;
    }

private:
    std::filesystem::path parent_;
    std::unique_ptr<os::TempDir> dir_;
    std::string error_;
};

// A source's file could not be reached (copied, opened, read): worth trying again next time even
// when it has not changed. Otherwise its content was refused, which only a change can mend.
struct SourceFault {
    Status status;
    bool retry = false;
};

SourceFault readSource(const BrowserSource& source, CopyFolder& folder, size_t number, BrowserRead& read) {
    Status status;
    if (source.format == BrowserFormat::ChromiumBookmarks) {
        std::string text;
        status = readWholeFile(source.path, kMaxBookmarksFile, text);
        if (!status.ok) return {status, true};
        return {parseChromiumBookmarks(text, read)};
    }
    os::TempDir* temp = folder.get(status);
    if (!temp) return {status, true};
    BrowserDbCopy copy = openBrowserCopy(source.path, *temp, "source" + std::to_string(number));
    if (!copy.db) return {copy.status, true};
    sqlite3_busy_timeout(copy.db.get(), 0);
    return {source.format == BrowserFormat::FirefoxPlaces ? readFirefoxPlaces(copy.db.get(), read)
                                                          : readChromiumHistory(copy.db.get(), read)};
}

Gathered gather(const std::vector<BrowserSource>& sources, const std::filesystem::path& tempParent) {
    Gathered out;
    CopyFolder folder(tempParent);
    for (size_t i = 0; i < sources.size(); ++i) {
        const BrowserSource& source = sources[i];
        BrowserRead read;
        const SourceFault fault = readSource(source, folder, i, read);
        if (!fault.status.ok) {
            out.notes.push_back(sourceName(source.format) + " skipped: " + source.path + ": " + fault.status.error);
            out.retry = out.retry || fault.retry;
            if (source.format != BrowserFormat::ChromiumHistory) out.bookmarksComplete = false;
            if (source.format != BrowserFormat::ChromiumBookmarks) out.historyComplete = false;
            continue;
        }
        out.bookmarks.reserve(read.bookmarks.size());
        out.history.reserve(read.history.size());
        for (BrowserVisit& visit : read.bookmarks) out.bookmarks.add(std::move(visit));
        for (BrowserVisit& visit : read.history) out.history.add(std::move(visit));
    }
    if (std::optional<std::string> note = folder.remove()) {
        out.notes.push_back(std::move(*note));
        out.retry = true;
    }
    return out;
}

// Stamps of every file a sync reads; equal stamps mean the browsers changed nothing.
std::string sourceStamps(const std::vector<BrowserSource>& sources) {
    std::string stamps = "browser sources 1\n";  // a version line: another layout never matches
    for (const BrowserSource& source : sources) {
        stamps += std::to_string(static_cast<int>(source.format)) + ' ' + source.path + '\n';
        for (const char* suffix : {"", "-wal", "-journal"}) {
            struct stat st;
            if (::stat((source.path + suffix).c_str(), &st) != 0) continue;
            stamps += std::string(suffix) + ' ' + std::to_string(st.st_ino) + ' ' + std::to_string(st.st_size) + ' ' +
                      std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + '\n';
        }
    }
    return stamps;
}

using ItemKey = std::pair<int, std::string>;
struct ItemKeyHash {
    size_t operator()(const ItemKey& key) const { return std::hash<std::string>{}(key.second) ^ static_cast<size_t>(key.first); }
};

// The item of a record whose URL is known to be accepted.
CrawledItem itemOf(const BrowserVisit& visit, Kind kind) {
    CrawledItem row;
    row.name = cleanBrowserTitle(visit.title);
    if (row.name.empty()) row.name = visit.url;
    row.kind = static_cast<int>(kind);
    row.mtime = row.ctime = visit.time;
    row.url = visit.url;
    row.display = visit.url;
    return row;
}

// Makes the stored browser items of `kind` equal to `wanted`; deletes only when `complete`.
void syncKind(IndexWriter& writer, Kind kind, const Merged& wanted, bool complete,
              std::unordered_map<ItemKey, const StoredItem*, ItemKeyHash>& stored, int64_t& count) {
    for (const auto& [url, visit] : wanted.byUrl()) {
        const CrawledItem row = itemOf(visit, kind);  // Merged::add accepted its URL
        ++count;
        const auto found = stored.find({static_cast<int>(kind), url});
        if (found == stored.end()) {
            writer.insertItem(0, row);
            continue;
        }
        if (!row.sameData(found->second->row) || row.name != found->second->row.name) writer.updateItem(found->second->id, row);
        stored.erase(found);
    }
    for (auto it = stored.begin(); it != stored.end();) {
        if (it->first.first != static_cast<int>(kind)) {
            ++it;
        } else if (complete) {
            writer.deleteItem(it->second->id);
            it = stored.erase(it);
        } else {
            ++count;  // kept: its source could not be read this time
            it = stored.erase(it);
        }
    }
}


}  // namespace

bool acceptedBrowserUrl(std::string_view url) {
    const std::string_view prefix = url.substr(0, url.find(':') == std::string_view::npos ? 0 : url.find(':') + 3);
    if (!os::equalsAsciiCaseless(prefix, "http://") && !os::equalsAsciiCaseless(prefix, "https://")) return false;
    if (url.size() == prefix.size() || url.size() > kMaxBrowserUrl) return false;
    for (size_t at = 0; at < url.size();) {
        const auto byte = static_cast<unsigned char>(url[at]);
        if (byte < 0x80) {  // most URLs are ASCII: no decoding for them
            if (byte <= 0x20 || byte == 0x7F) return false;
            ++at;
            continue;
        }
        char32_t cp;
        const size_t length = os::decodeUtf8(url, at, cp);
        if (length == 0 || isControl(cp)) return false;
        at += length;
    }
    return true;
}

std::string cleanBrowserTitle(std::string_view title) {
    std::string out;
    out.reserve(std::min(title.size(), kMaxBrowserTitle));
    bool blank = true;  // drops leading blanks and collapses runs
    for (size_t at = 0; at < title.size();) {
        const auto byte = static_cast<unsigned char>(title[at]);
        if (byte > 0x20 && byte < 0x7F) {  // printable ASCII, the common case
            if (out.size() == kMaxBrowserTitle) break;
            out.push_back(static_cast<char>(byte));
            blank = false;
            ++at;
            continue;
        }
        char32_t cp;
        const size_t length = os::decodeUtf8(title, at, cp);
        at += length == 0 ? 1 : length;
        if (cp == ' ' || isControl(cp)) {
            if (!blank) out.push_back(' ');
            blank = true;
            continue;
        }
        const size_t before = out.size();
        os::appendUtf8(out, cp);
        if (out.size() > kMaxBrowserTitle) {
            out.resize(before);
            break;
        }
        blank = false;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::optional<CrawledItem> browserItem(const BrowserVisit& visit, Kind kind) {
    if (!acceptedBrowserUrl(visit.url)) return std::nullopt;
    return itemOf(visit, kind);
}


int64_t countBrowserItems(sqlite3* db) {
    const std::string sql = "SELECT count(*) FROM items WHERE dir = 0 AND kind IN (" +
                            std::to_string(static_cast<int>(Kind::Favorite)) + "," +
                            std::to_string(static_cast<int>(Kind::WebHistory)) + ")";
    return queryInt(db, sql.c_str()).value_or(0);
}

BrowserSyncResult syncBrowserItems(IndexWriter& writer, sqlite3* db, const std::vector<BrowserSource>& sources,
                                   const std::filesystem::path& tempParent) {
    BrowserSyncResult result;
    const std::string stamps = sourceStamps(sources);
    if (readMetaText(db, kMetaBrowserSources) == stamps) {
        result.unchanged = true;
        result.items = countBrowserItems(db);
        return result;
    }
    Gathered gathered = gather(sources, tempParent);
    std::vector<StoredItem> existing;
    if (!writer.itemsOf(0, existing)) return result;
    std::unordered_map<ItemKey, const StoredItem*, ItemKeyHash> stored;
    for (const StoredItem& item : existing) {
        if (!isBrowserKind(item.row.kind)) continue;
        // A second row for the same page (never written by us) is removed, not kept beside it.
        if (!stored.try_emplace({item.row.kind, item.row.url.value_or("")}, &item).second) writer.deleteItem(item.id);
    }
    syncKind(writer, Kind::Favorite, gathered.bookmarks, gathered.bookmarksComplete, stored, result.items);
    syncKind(writer, Kind::WebHistory, gathered.history, gathered.historyComplete, stored, result.items);
    // The same files are not read again, unless something failed that they may not fail at again:
    // a refused file is reported once, not at every refresh, and read again when it changes.
    writer.setMeta(kMetaBrowserSources, gathered.retry ? std::string() : stamps);
    result.notes = std::move(gathered.notes);
    return result;
}

}  // namespace skimmer::index::store
