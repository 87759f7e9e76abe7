#include "index/crawl/rebuild.h"

#include "index/crawl/crawl_lock.h"
#include "index/storage/index_files.h"
#include "index/storage/schema.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace skimmer::index::store {
namespace {

// The staging database and every companion SQLite or the crawler made beside it. They are ours
// alone while the live lock is held: a leftover is a rebuild that was killed. Something else in
// their place (a folder, a FIFO) is moved aside like any index file, never deleted.
Status removeStaging(const std::filesystem::path& staging) {
    for (int i = 0; i < kIndexFileCount; ++i) {
        if (static_cast<IndexFile>(i) == IndexFile::Damaged) continue;  // what was moved aside stays
        const std::filesystem::path path = indexFilePath(staging, static_cast<IndexFile>(i));
        const FileLook look = inspectFile(path);
        if (look.shape == FileShape::Absent) continue;
        std::filesystem::path movedTo;
        if (look.shape == FileShape::Special) {
            if (Status s = moveAside(path, movedTo); !s)
                return Status::failure(notRegularText(path, look) + "; " + s.error);
        } else if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            return Status::failure("cannot remove " + path.string() + ": " + std::strerror(errno));
        }
    }
    return {};
}

struct BackupCloser {
    void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
};

// Copies every page of `from` over `to` in one write transaction of `to`; readers of `to` keep
// their snapshot until they end it.
Status copyOver(sqlite3* to, sqlite3* from) {
    std::unique_ptr<sqlite3_backup, BackupCloser> backup(sqlite3_backup_init(to, "main", from, "main"));
    if (!backup) return sqliteFailure(to, "starting to copy the rebuilt index");
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < 50; ++attempt) {  // a writer lock held by someone else: 50 short waits
        rc = sqlite3_backup_step(backup.get(), -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
        sqlite3_sleep(100);
    }
    const int finished = sqlite3_backup_finish(backup.release());
    if (rc != SQLITE_DONE) return Status::failure(std::string("copying the rebuilt index: ") + sqlite3_errstr(rc), rc);
    if (finished != SQLITE_OK) return sqliteFailure(to, "copying the rebuilt index");
    return {};
}

// SQLite copies into a database in WAL mode only when both have the same page size. An index made
// with another page size is switched to a rollback journal for the copy (searches that meet the
// copy wait or are told the index is busy, never see half of it) and back to WAL afterwards.
Status copyOverAnyPageSize(sqlite3* to, sqlite3* from) {
    const auto pageSize = [](sqlite3* db) { return queryInt(db, "PRAGMA page_size").value_or(0); };
    if (pageSize(to) == pageSize(from)) return copyOver(to, from);
    if (Status s = execSql(to, "PRAGMA journal_mode=DELETE"); !s) return s;
    Status copied = copyOver(to, from);
    Status back = execSql(to, "PRAGMA journal_mode=WAL");
    return copied ? back : copied;
}

CrawlResult failed(Status status) {
    CrawlResult result;
    result.status = std::move(status);
    return result;
}

void appendNotice(std::string& notice, const std::string& more) {
    if (more.empty()) return;
    if (!notice.empty()) notice += "; ";
    notice += more;
}

}  // namespace

CrawlResult rebuildIndex(const std::filesystem::path& database, const CrawlOptions& options, CrawlFs& fs,
                         const CrawlHooks& hooks, std::string& notice) {
    OpenedIndex live = openIndexForWriting(database);
    appendNotice(notice, live.notice);
    if (!live.db) return failed(live.status);
    CrawlLock lock;
    if (Status s = lock.acquire(database); !s) return failed(s);
    const std::filesystem::path staging = database.string() + kStagingSuffix;
    if (Status s = removeStaging(staging); !s) return failed(s);
    CrawlResult result;
    {
        OpenedIndex fresh = openIndexForWriting(staging);
        CrawlHooks stagingHooks = hooks;
        stagingHooks.afterCommit = nullptr;  // the sidecar is built for the live file, after the copy
        if (fresh.db) result = crawl(fresh.db.get(), options, fs, stagingHooks);
        else result.status = fresh.status;
        if (result.status) result.status = copyOverAnyPageSize(live.db.get(), fresh.db.get());
    }
    if (Status s = removeStaging(staging); !s && result.status) result.status = s;
    if (!result.status) return result;
    // The copy went through the live file's WAL; fold it back so the WAL does not stay as large as
    // the index. Readers that still hold the old snapshot make this a partial checkpoint, which
    // costs disk space until the next commit, never data, so its outcome is not an error.
    sqlite3_wal_checkpoint_v2(live.db.get(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    if (hooks.afterCommit) hooks.afterCommit(live.db.get());
    return result;
}

}  // namespace skimmer::index::store
