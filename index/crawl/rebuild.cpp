#include "index/crawl/rebuild.h"

#include "index/crawl/crawl_lock.h"
#include "index/storage/index_files.h"
#include "index/storage/schema.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// The staging database is private until it is copied or renamed into place, and a crash leaves
// nothing of it that counts (the next rebuild removes it), so it is written without a journal on
// disk and without syncing each batch: each batch's pages go into the file itself, not into the WAL
// first and again into the file by a checkpoint. A batch that fails still rolls back (the journal
// is kept in memory).
Status writeStagingFast(sqlite3* staging) { return execSql(staging, "PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF"); }

// True when no live index is there at all, so the staging database can simply be renamed into
// place: no database, WAL or shared-memory file at the live path (a WAL left there would be read
// into the renamed file), no odd file in place of the sidecar or the lock (opening the live index
// moves those aside), and the folder exists.
bool noLiveIndex(const std::filesystem::path& database) {
    for (IndexFile which : {IndexFile::Database, IndexFile::Wal, IndexFile::Shm})
        if (inspectFile(indexFilePath(database, which)).shape != FileShape::Absent) return false;
    for (IndexFile which : {IndexFile::Sidecar, IndexFile::Lock})
        if (inspectFile(indexFilePath(database, which)).shape == FileShape::Special) return false;
    std::error_code error;
    const std::filesystem::path folder = database.parent_path();
    return std::filesystem::is_directory(folder.empty() ? std::filesystem::path(".") : folder, error);
}

Status syncFile(const std::filesystem::path& path, int flags) {
    os::UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC));
    if (!fd.valid() || ::fsync(fd.get()) != 0)
        return Status::failure("cannot sync " + path.string() + ": " + std::strerror(errno));
    return {};
}

// Makes the complete staging database the live one without copying it: in WAL mode like every
// index, closed (an empty WAL is removed with the last connection), synced, and renamed to the
// live path only if nothing is there (`taken` when something is: the caller copies instead). A
// reader finds no index before the rename and the whole one after it.
Status renameIntoPlace(Db staging, const std::filesystem::path& from, const std::filesystem::path& to, bool& taken) {
    taken = false;
    if (Status s = execSql(staging.get(), "PRAGMA journal_mode=WAL"); !s) return s;
    staging.reset();
    if (inspectFile(indexFilePath(from, IndexFile::Wal)).shape != FileShape::Absent)
        return Status::failure("the rebuilt index " + from.string() + " kept a write-ahead log");
    if (Status s = syncFile(from, O_RDONLY); !s) return s;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        taken = errno == EEXIST;
        if (!taken) return Status::failure("cannot rename " + from.string() + " to " + to.string() + ": " + std::strerror(errno));
        return {};
    }
    const std::filesystem::path folder = to.parent_path();
    return syncFile(folder.empty() ? std::filesystem::path(".") : folder, O_RDONLY | O_DIRECTORY);
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

// Opens the live index (moving it aside when damaged, as a refresh would) unless it is open.
Status openLive(const std::filesystem::path& database, Db& live, std::string& notice) {
    if (live) return {};
    OpenedIndex opened = openIndexForWriting(database);
    appendNotice(notice, opened.notice);
    live = std::move(opened.db);
    return opened.status;
}

// Puts the complete staging database in the live one's place: by a rename when there was no live
// index, else (or when one appeared meanwhile) by copying its pages over the live one.
Status putInPlace(Db staged, const std::filesystem::path& staging, const std::filesystem::path& database, bool rename,
                  Db& live, std::string& notice) {
    if (rename) {
        bool taken = false;
        if (Status s = renameIntoPlace(std::move(staged), staging, database, taken); !s || !taken) return s;
        OpenedIndex again = openIndexForWriting(staging);
        if (!again.db) return again.status;
        staged = std::move(again.db);
    }
    if (Status s = openLive(database, live, notice); !s) return s;
    return copyOverAnyPageSize(live.get(), staged.get());
}

}  // namespace

CrawlResult rebuildIndex(const std::filesystem::path& database, const CrawlOptions& options, CrawlFs& fs,
                         const CrawlHooks& hooks, std::string& notice) {
    // Decided before the lock is taken, as opening the live index would create it; the rename
    // checks again, as it never replaces a file that appeared meanwhile.
    const bool rename = noLiveIndex(database);
    Db live;
    if (!rename)
        if (Status s = openLive(database, live, notice); !s) return failed(s);
    CrawlLock lock;
    if (Status s = lock.acquire(database); !s) return failed(s);
    const std::filesystem::path staging = database.string() + kStagingSuffix;
    if (Status s = removeStaging(staging); !s) return failed(s);
    CrawlResult result;
    {
        OpenedIndex fresh = openIndexForWriting(staging);
        CrawlHooks stagingHooks = hooks;
        stagingHooks.afterCommit = nullptr;  // the sidecar is built for the live file, once it is in place
        result.status = fresh.db ? writeStagingFast(fresh.db.get()) : fresh.status;
        if (result.status) result = crawl(fresh.db.get(), options, fs, stagingHooks);
        if (result.status) result.status = putInPlace(std::move(fresh.db), staging, database, rename, live, notice);
    }
    if (Status s = removeStaging(staging); !s && result.status) result.status = s;
    if (!result.status) return result;
    if (live) {
        // The copy went through the live file's WAL; fold it back so the WAL does not stay as
        // large as the index. Readers that still hold the old snapshot make this a partial
        // checkpoint, which costs disk space until the next commit, never data, so its outcome is
        // not an error.
        sqlite3_wal_checkpoint_v2(live.get(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    } else if (Status s = openLive(database, live, notice); !s) {
        result.status = s;
        return result;
    }
    if (hooks.afterCommit) hooks.afterCommit(live.get());
    return result;
}

}  // namespace skimmer::index::store
