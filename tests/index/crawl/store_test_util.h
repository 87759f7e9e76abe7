// Helpers for the store tests: making trees, a counting and fault-injecting file-system seam,
// crawling into a private index, and reading the index back as a comparable snapshot.
#pragma once

#include "index/crawl/crawler.h"
#include "index/storage/folder_paths.h"
#include "index/storage/item_scan.h"
#include "index/storage/kinds.h"
#include "index/storage/schema.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store::test {

inline void writeFile(const std::string& path, std::string_view content = "", mode_t mode = 0644) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::fchmod(fd, mode);
    ::close(fd);
}

inline void makeDir(const std::string& path) { ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path; }

// The kind a plain file of this name is indexed as (by its extension).
inline Kind kindFromName(std::string_view fileName) { return kindFromExtension(extensionOf(fileName)); }

// One row of the index in a form that tests compare: key = where it is found
// (folder path + "/" + name for files, display + " " + url for derived items).
struct Row {
    int kind = 0;
    std::string ext;
    int64_t size = 0, mtime = 0, ctime = 0;
    int attrs = 0;
    std::string url, display;
    bool operator==(const Row&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << "{kind " << r.kind << " ext '" << r.ext << "' size " << r.size << " mtime " << r.mtime << " attrs "
              << r.attrs << " url '" << r.url << "'}";
}

using Snapshot = std::map<std::string, Row>;

inline Snapshot snapshot(sqlite3* db) {
    Snapshot out;
    const Status scanned = forEachItem(db, true, [&](const ScannedItem& item) {
        const CrawledItem& i = item.row;
        Row r{i.kind, i.ext, i.size, i.mtime, i.ctime, i.attrs, i.url.value_or(""), i.display.value_or("")};
        std::string key = item.dirPath ? childPath(*item.dirPath, i.name) : r.display + " " + r.url;
        // A page may be both a bookmark and history: the same place, another kind.
        const auto same = out.find(key);
        if (same != out.end() && same->second.kind != r.kind) key += " [" + std::to_string(r.kind) + "]";
        EXPECT_TRUE(out.emplace(key, r).second) << "indexed twice: " << key;
    });
    EXPECT_TRUE(scanned.ok) << scanned.error;
    EXPECT_EQ(readMetaInt(db, kMetaItemCount).value_or(-1), static_cast<int64_t>(out.size()))
        << "the stored item count follows every change";
    return out;
}

inline Snapshot snapshotOf(const std::string& dbPath) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(dbPath.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    return snapshot(db.get());
}

inline std::string integrity(const std::string& dbPath) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(dbPath.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Db db(raw);
    Status status;
    Stmt stmt = prepare(db.get(), "PRAGMA integrity_check", status);
    if (!stmt) return status.error;
    std::string all;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) all += columnBytes(stmt.get(), 0);
    return all;
}

// The real file system, with counters and hooks: listings are counted, named folders refuse to
// open (root ignores permission bits, so "unreadable" must be injected), and `afterList` runs
// once a folder has been listed (to delete or rename things in the middle of a crawl).
class TestFs : public PosixCrawlFs {
public:
    int listings = 0;
    int opens = 0;  // folders opened below a root (more than the folders when some were reopened)
    std::set<std::string> refuse;  // folder names that fail with EACCES
    std::function<void(const std::string& path)> afterList;

    os::UniqueFd openRoot(const std::string& path, int& error) override {
        os::UniqueFd fd = PosixCrawlFs::openRoot(path, error);
        if (fd.valid()) paths_[fd.get()] = path;
        return fd;
    }
    os::UniqueFd openDir(int parent, const std::string& name, int& error) override {
        if (refuse.count(name)) {
            error = EACCES;
            return os::UniqueFd();
        }
        ++opens;
        os::UniqueFd fd = PosixCrawlFs::openDir(parent, name, error);
        if (fd.valid()) paths_[fd.get()] = paths_[parent] + "/" + name;
        return fd;
    }
    bool list(int dir, std::vector<std::string>& names, int& error) override {
        ++listings;
        const bool ok = PosixCrawlFs::list(dir, names, error);
        if (ok && afterList) afterList(paths_[dir]);
        return ok;
    }

private:
    std::map<int, std::string> paths_;
};

// Options for a crawl of exactly `roots`, with no applications folders, $PATH or defaults that
// depend on the developer's machine.
inline CrawlOptions rootsOnly(std::vector<std::string> roots) {
    CrawlOptions options;
    options.roots = std::move(roots);
    options.defaultExcludes = false;
    return options;
}

struct Crawled {
    CrawlResult result;
    Snapshot rows;
    int64_t generation = 0;
};

inline Crawled crawlInto(const std::string& dbPath, const CrawlOptions& options, CrawlFs& fs,
                         const CrawlHooks& hooks = {}) {
    Crawled out;
    OpenedIndex index = openIndexForWriting(dbPath);
    EXPECT_TRUE(index.db) << index.status.error;
    if (!index.db) return out;
    out.result = crawl(index.db.get(), options, fs, hooks);
    out.rows = snapshot(index.db.get());
    out.generation = readMetaInt(index.db.get(), kMetaGeneration).value_or(-1);
    return out;
}

inline Crawled crawlInto(const std::string& dbPath, const CrawlOptions& options) {
    TestFs fs;
    return crawlInto(dbPath, options, fs);
}

}  // namespace skimmer::index::store::test
