// A shim SQLite VFS for fault injection: wraps the default VFS and fails the Nth write or sync
// (once, or for good), counting every write and sync it sees. Registered as the default VFS for
// the life of the object, so the code under test opens its files exactly as in production.
#pragma once

#include <sqlite3.h>

#include <cstring>

namespace skimmer::index::store::test {

class FaultVfs {
public:
    enum class Target { Write, Sync };

    FaultVfs() {
        real_ = sqlite3_vfs_find(nullptr);
        vfs_ = *real_;
        vfs_.zName = "skimmer-fault";
        vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
        vfs_.xOpen = &FaultVfs::open;
        vfs_.pNext = nullptr;
        self() = this;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FaultVfs() {
        sqlite3_vfs_unregister(&vfs_);
        self() = nullptr;
    }
    FaultVfs(const FaultVfs&) = delete;
    FaultVfs& operator=(const FaultVfs&) = delete;

    // Fails the `nth` (1-based) call of `target` from now on with `code`; `sticky` keeps failing.
    void arm(Target target, int nth, int code, bool sticky) {
        target_ = target, countdown_ = nth, code_ = code, sticky_ = sticky, failures_ = 0, calls_ = 0;
    }
    void disarm() { countdown_ = -1; }
    int failures() const { return failures_; }
    int calls() const { return calls_; }  // calls of the armed target since arm()

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
    };

    static FaultVfs*& self() {
        static FaultVfs* instance = nullptr;
        return instance;
    }

    bool hit(Target target) {
        if (target != target_) return false;
        ++calls_;
        if (countdown_ < 0) return false;
        if (countdown_ > 1) {
            --countdown_;
            return false;
        }
        if (!sticky_) countdown_ = -1;
        ++failures_;
        return true;
    }

    static sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

    static int close(sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); }
    static int read(sqlite3_file* f, void* p, int n, sqlite3_int64 o) { return real(f)->pMethods->xRead(real(f), p, n, o); }
    static int write(sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
        if (self()->hit(Target::Write)) return self()->code_;
        return real(f)->pMethods->xWrite(real(f), p, n, o);
    }
    static int truncate(sqlite3_file* f, sqlite3_int64 n) { return real(f)->pMethods->xTruncate(real(f), n); }
    static int sync(sqlite3_file* f, int flags) {
        if (self()->hit(Target::Sync)) return SQLITE_IOERR_FSYNC;
        return real(f)->pMethods->xSync(real(f), flags);
    }
    static int fileSize(sqlite3_file* f, sqlite3_int64* n) { return real(f)->pMethods->xFileSize(real(f), n); }
    static int lock(sqlite3_file* f, int l) { return real(f)->pMethods->xLock(real(f), l); }
    static int unlock(sqlite3_file* f, int l) { return real(f)->pMethods->xUnlock(real(f), l); }
    static int checkReserved(sqlite3_file* f, int* r) { return real(f)->pMethods->xCheckReservedLock(real(f), r); }
    static int control(sqlite3_file* f, int op, void* a) { return real(f)->pMethods->xFileControl(real(f), op, a); }
    static int sectorSize(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
    static int characteristics(sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }
    static int shmMap(sqlite3_file* f, int i, int s, int e, void volatile** p) {
        return real(f)->pMethods->xShmMap(real(f), i, s, e, p);
    }
    static int shmLock(sqlite3_file* f, int o, int n, int fl) { return real(f)->pMethods->xShmLock(real(f), o, n, fl); }
    static void shmBarrier(sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); }
    static int shmUnmap(sqlite3_file* f, int d) { return real(f)->pMethods->xShmUnmap(real(f), d); }
    static int fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** p) { return real(f)->pMethods->xFetch(real(f), o, n, p); }
    static int unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) { return real(f)->pMethods->xUnfetch(real(f), o, p); }

    static const sqlite3_io_methods* methods() {
        static const sqlite3_io_methods m = {3,         close,    read,     write,        truncate,      sync,
                                             fileSize,  lock,     unlock,   checkReserved, control,      sectorSize,
                                             characteristics, shmMap, shmLock, shmBarrier, shmUnmap, fetch, unfetch};
        return &m;
    }

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
        FaultVfs* me = self();
        File* file = reinterpret_cast<File*>(f);
        file->real = reinterpret_cast<sqlite3_file*>(file + 1);
        (void)vfs;
        const int rc = me->real_->xOpen(me->real_, name, file->real, flags, outFlags);
        file->base.pMethods = (rc == SQLITE_OK && file->real->pMethods) ? methods() : nullptr;
        return rc;
    }

    sqlite3_vfs* real_ = nullptr;
    sqlite3_vfs vfs_{};
    Target target_ = Target::Write;
    int countdown_ = -1, code_ = SQLITE_IOERR_WRITE, failures_ = 0, calls_ = 0;
    bool sticky_ = false;
};

}  // namespace skimmer::index::store::test
