#include "index/crawl/crawler.h"

#include "index/crawl/crawl_lock.h"
#include "index/storage/folder_paths.h"
#include "index/storage/index_writer.h"
#include "index/storage/item_ids.h"
#include "index/storage/kinds.h"
#include "index/storage/schema.h"
#include "os/paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <ctime>
#include <deque>
#include <map>
#include <unordered_set>

namespace skimmer::index::store {

namespace {

int64_t steadyMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t floorSeconds(int64_t ns) { return ns >= 0 ? ns / 1000000000 : -((-ns + 999999999) / 1000000000); }

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) (text += line) += '\n';
    if (!text.empty()) text.pop_back();
    return text;
}

bool vanishedError(int error) { return error == ENOENT || error == ENOTDIR || error == ELOOP; }

// Everything of `row` but its name, from the stat of the entry `name` (the entries of folders carry
// no url, display or words).
void fillRow(CrawledItem& row, std::string_view name, const EntryStat& st, bool inPathDir) {
    row.kind = 0;
    row.ext.clear();
    row.size = 0;
    row.attrs = 0;
    row.mtime = floorSeconds(st.mtimeNs);
    row.ctime = st.createdS;
    if (!name.empty() && name[0] == '.') row.attrs |= kAttrHidden;
    if (st.type == EntryType::Folder) {
        row.kind = static_cast<int>(Kind::Folder);
        row.attrs |= kAttrFolder;
    } else if (st.type == EntryType::Link) {
        row.kind = static_cast<int>(Kind::Link);
        row.attrs |= kAttrLink;
        row.ext = extensionOf(name);
        row.size = static_cast<int64_t>(st.size);
    } else {
        row.ext = extensionOf(name);
        row.size = static_cast<int64_t>(st.size);
        const bool program = inPathDir && (st.mode & 0111) != 0;
        row.kind = static_cast<int>(program ? Kind::Program : kindFromExtension(row.ext));
    }
    if (st.type != EntryType::Link && (st.mode & S_IWUSR) == 0) row.attrs |= kAttrReadOnly;
}

CrawledItem rowFor(std::string name, const EntryStat& st, bool inPathDir) {
    CrawledItem row;
    row.name = std::move(name);
    fillRow(row, row.name, st, inPathDir);
    return row;
}

// Entries of a folder in name order, so that two listings compare entry by entry.
void sortByName(std::vector<CrawledItem>& rows) {
    std::sort(rows.begin(), rows.end(), [](const CrawledItem& a, const CrawledItem& b) { return a.name < b.name; });
}

bool sameEntries(const std::vector<CrawledItem>& a, const std::vector<CrawledItem>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const CrawledItem& x, const CrawledItem& y) { return x.name == y.name && x.sameData(y); });
}

// One folder on the walk's stack: its descriptor (closed when too many are open, reopened on
// demand) and the subfolders still to visit.
struct Frame {
    std::string path, name;
    int64_t id = 0;  // dirs.id
    os::UniqueFd fd;
    uint64_t dev = 0, ino = 0;
    bool isPathDir = false;
    std::vector<std::string> children;
    size_t next = 0;
};

class Crawler {
public:
    Crawler(sqlite3* db, const CrawlOptions& options, CrawlFs& fs, const CrawlHooks& hooks)
        : db_(db), options_(options), fs_(fs), hooks_(hooks), writer_(db), excluder_(options) {
        for (const std::string& dir : options.pathDirs) pathDirs_.insert(normalizePath(dir));
        for (const std::string& root : options.roots)
            if (!root.empty() && root[0] == '/' && roots_.insert(normalizePath(root)).second)
                rootOrder_.push_back(normalizePath(root));
    }

    CrawlResult run() {
        CrawlLock lock;
        const char* file = sqlite3_db_filename(db_, "main");  // empty for a private in-memory index
        if (file != nullptr && file[0] != '\0') result_.status = lock.acquire(file);
        if (result_.status && start()) {
            for (const std::string& root : rootOrder_) {
                if (!writer_.ok()) break;
                crawlRoot(root);
            }
            finish();
        }
        if (result_.status) result_.status = writer_.status();
        writer_.rollback();
        // A failed crawl is over too: readers must not wait for it. This is best effort only, as
        // the database may be the very thing that failed; the crawl's own error is what counts.
        if (!result_.status && crawlStarted_) writeMeta(db_, kMetaCrawlState, std::string_view("idle"));
        if (result_.status && hooks_.afterCommit) hooks_.afterCommit(db_);
        return result_;
    }

    // One source of items outside the walk brought in step on its own.
    CrawlResult runSource(const CrawlSource& source) {
        CrawlLock lock;
        const char* file = sqlite3_db_filename(db_, "main");
        if (file != nullptr && file[0] != '\0') result_.status = lock.acquire(file);
        if (result_.status && writer_.begin() && (!source.source->readsFolders() || writer_.loadDirs(dirs_))) {
            for (auto& entry : dirs_) entry.second.visited = true;  // what the index holds is what the last walk saw
            syncSource(source);
            writer_.commit(progress());
        }
        if (result_.status) result_.status = writer_.status();
        writer_.rollback();
        if (result_.status && hooks_.afterCommit) hooks_.afterCommit(db_);
        return result_;
    }

    FolderRefreshResult runFolders(const std::vector<FolderRequest>& requests, FolderCache* cache) {
        FolderRefreshResult out;
        CrawlLock lock;
        const char* file = sqlite3_db_filename(db_, "main");
        if (file != nullptr && file[0] != '\0') result_.status = lock.acquire(file);
        FolderCache unused;
        if (cache == nullptr) cache = &unused;
        if (hooks_.beforeCommit)
            writer_.beforeCommit = [this](int64_t generation) { return hooks_.beforeCommit(db_, generation, changedDirs_); };
        if (result_.status && writer_.begin() && loadDirsFrom(*cache)) {
            batchStart_ = now();
            trackGone_ = true;
            std::deque<FolderRequest> queue = plan(requests);
            while (!queue.empty() && writer_.ok()) {
                refreshOne(queue.front(), queue);
                queue.pop_front();
                maybeCommit();
            }
            writer_.commit(progress());
        }
        if (result_.status) result_.status = writer_.status();
        writer_.rollback();
        for (auto& [path, dir] : dirs_)
            if (dir.visited) {
                out.visited.push_back(path);
                dir.visited = false;
            }
        // Kept only when this refresh committed everything it did: then the map is the index.
        cache->generation = result_.status ? readMetaInt(db_, kMetaGeneration).value_or(-1) : -1;
        cache->dirs = std::move(dirs_);
        if (result_.status && hooks_.afterCommit) hooks_.afterCommit(db_);
        out.status = result_.status;
        out.stats = result_.stats;
        out.removed = std::move(removedPaths_);
        out.changedDirs = std::move(changedDirs_);
        return out;
    }

private:
    int64_t now() const { return hooks_.nowMillis ? hooks_.nowMillis() : steadyMillis(); }
    CrawlStats& stats() { return result_.stats; }

    ProgressCounts progress() const {
        const CrawlStats& s = result_.stats;
        ProgressCounts counts{.itemsSeen = s.items, .itemsPending = 0, .foldersPending = foldersPending_};
        // Entries still to come, estimated from the entries per folder seen so far.
        if (s.folders > 0) counts.itemsPending = foldersPending_ * s.items / s.folders;
        return counts;
    }

    bool start() {
        batchStart_ = now();
        if (!writer_.begin()) return false;
        writer_.setMeta(kMetaCrawlState, std::string("running"));
        writer_.setMeta(kMetaCrawlStarted, static_cast<int64_t>(std::time(nullptr)));
        writer_.setMeta(kMetaRoots, joinLines(options_.roots));
        writer_.setMeta(kMetaExcludes, joinLines(options_.excludes));
        writer_.setMeta(kMetaIndexerVersion, std::string(kIndexerVersion));
        if (!writer_.commit(progress())) return false;
        crawlStarted_ = true;
        if (!writer_.loadDirs(dirs_)) return false;
        return writer_.begin().ok;
    }

    void finish() {
        if (!writer_.ok()) return;
        removeUnvisited();
        for (const CrawlSource& source : crawlSources(options_))
            if (!syncSource(source)) return;
        foldersPending_ = 0;
        writer_.setMeta(kMetaCrawlState, std::string("idle"));
        writer_.setMeta(kMetaCrawlFinished, static_cast<int64_t>(std::time(nullptr)));
        ProgressCounts done = progress();
        done.itemsPending = 0;
        writer_.commit(done);
    }

    void maybeCommit() {
        if (writer_.batchChanges() < options_.batchChanges && now() - batchStart_ < options_.batchMillis) return;
        if (writer_.commit(progress())) writer_.begin();
        batchStart_ = now();
    }

    void crawlRoot(const std::string& root) {
        int error = 0;
        Frame frame{.path = root, .name = root};
        frame.fd = fs_.openRoot(root, error);
        EntryStat st;
        if (!frame.fd.valid() || !fs_.statAt(frame.fd.get(), "", st, error)) {
            if (error != ENOENT) ++stats().unreadable;  // a missing root (no such applications folder) is normal
            return;
        }
        frame.dev = st.dev;
        frame.ino = st.ino;
        if (!visitFolder(frame, std::nullopt, st)) return;
        stack_.push_back(std::move(frame));
        walk();
        stack_.clear();
    }

    void walk() {
        while (!stack_.empty() && writer_.ok()) {
            const size_t top = stack_.size() - 1;
            Frame& frame = stack_[top];
            if (frame.next == frame.children.size()) {
                stack_.pop_back();
                continue;
            }
            std::string child = std::move(frame.children[frame.next++]);
            --foldersPending_;
            if (!reopen(top)) continue;
            enterFolder(top, child);
            maybeCommit();
        }
    }

    void enterFolder(size_t parentIndex, const std::string& child) {
        Frame frame;
        frame.name = child;
        frame.path = childPath(stack_[parentIndex].path, child);
        int error = 0;
        frame.fd = fs_.openDir(stack_[parentIndex].fd.get(), child, error);
        EntryStat st;
        if (frame.fd.valid() && !fs_.statAt(frame.fd.get(), "", st, error)) frame.fd.reset();
        if (!frame.fd.valid()) {
            ++(vanishedError(error) ? stats().vanished : stats().unreadable);
            return;
        }
        if (st.dev != stack_[parentIndex].dev && !options_.enterAvoidedFs) {
            int64_t type = 0;
            if (fs_.fsType(frame.fd.get(), type, error) && isAvoidedFsType(type)) {
                ++stats().skipped;
                return;
            }
        }
        frame.dev = st.dev;
        frame.ino = st.ino;
        if (!visitFolder(frame, stack_[parentIndex].id, st)) return;
        stack_.push_back(std::move(frame));
        limitOpenFolders();
    }

    // Keeps at most kMaxOpenFolders descriptors: the root's stays open, a deep one is closed and
    // reopened by name when the walk climbs back to it.
    void limitOpenFolders() {
        if (stack_.size() <= kMaxOpenFolders + 1) return;
        stack_[stack_.size() - 1 - kMaxOpenFolders].fd.reset();
    }

    bool reopen(size_t index) {
        if (stack_[index].fd.valid()) return true;
        size_t open = index;
        while (!stack_[open].fd.valid()) --open;  // the root's descriptor is never closed
        os::UniqueFd current;
        int currentFd = stack_[open].fd.get();
        for (size_t k = open + 1; k <= index; ++k) {
            int error = 0;
            EntryStat st;
            os::UniqueFd next = fs_.openDir(currentFd, stack_[k].name, error);
            if (!next.valid() || !fs_.statAt(next.get(), "", st, error) || st.ino != stack_[k].ino ||
                st.dev != stack_[k].dev) {
                ++stats().vanished;  // renamed or replaced while we were below it
                foldersPending_ -= static_cast<int64_t>(stack_[index].children.size() - stack_[index].next);
                stack_[index].next = stack_[index].children.size();
                return false;
            }
            current = std::move(next);
            currentFd = current.get();
        }
        stack_[index].fd = std::move(current);
        return true;
    }

    // Brings the folder's row up to date and fills `frame.children`. False when the folder cannot
    // be read (it then stays unvisited, so a complete crawl drops what the index knew of it).
    bool visitFolder(Frame& frame, std::optional<int64_t> parent, const EntryStat& st) {
        frame.isPathDir = pathDirs_.count(frame.path) != 0;
        const int64_t stamp = std::max(st.mtimeNs, st.ctimeNs);
        auto known = dirs_.find(frame.path);
        if (known != dirs_.end() && known->second.visited) return false;  // reached twice: roots overlap
        std::vector<CrawledItem> stored;
        bool damaged = false;
        if (known != dirs_.end() && !writer_.readEntries(known->second.id, stored, damaged)) return false;
        bool unchanged = known != dirs_.end() && known->second.stamp == stamp && !damaged;
        std::optional<std::vector<CrawledItem>> rechecked;
        bool asStored = false;  // the rechecked entries are the stored ones (moved out of `stored`)
        if (unchanged) {
            // An entry that is gone or unreadable although the folder's stamp did not change means
            // the stored row no longer matches the folder (a damaged entry, a clock that stood
            // still): only a fresh listing can find what is really there.
            const CrawlStats before = stats();
            rechecked = recheck(frame, stored, asStored);
            if (!rechecked) {
                result_.stats = before;
                frame.children.clear();
                unchanged = false;
            }
        }
        std::vector<std::string> names;
        if (!unchanged) {
            int error = 0;
            ++stats().listings;
            if (!fs_.list(frame.fd.get(), names, error)) {
                ++stats().unreadable;
                return false;
            }
        }
        StoredDir dir{.id = 0, .stamp = stamp, .parent = parent, .count = 0, .visited = true};
        if (known != dirs_.end()) {
            dir.id = known->second.id;
            dir.count = known->second.count;
            if (!unchanged || known->second.parent != parent) {
                writer_.updateDir(dir.id, parent, frame.name, stamp);
                if (known->second.parent != parent) changedDirs_.push_back(dir.id);  // its entries' paths moved
            }
        } else {
            dir.id = writer_.insertDir(parent, frame.name, stamp);
        }
        frame.id = dir.id;
        ++stats().folders;
        std::vector<CrawledItem> rows = unchanged ? std::move(*rechecked) : relist(frame, names, stored);
        if (trackGone_ && !asStored) noteGoneFolders(frame.path, stored, rows);
        const auto count = static_cast<int64_t>(rows.size());
        if (!asStored && !sameEntries(rows, stored)) {
            writer_.replaceEntries(dir.id, std::move(rows), dir.count);  // the last use of the rows
            changedDirs_.push_back(dir.id);
        }
        dir.count = count;
        dirs_[frame.path] = dir;
        foldersPending_ += static_cast<int64_t>(frame.children.size());
        if (hooks_.progress) hooks_.progress({.stats = result_.stats, .folder = frame.path, .foldersPending = foldersPending_});
        return writer_.ok();
    }

    enum class Miss { None, Excluded, Gone, Odd };

    // Stats `name` in the open folder into `st`; false (counted, and why in `miss`) when it is
    // excluded, gone, unreadable or odd.
    bool statEntry(const Frame& frame, const std::string& name, EntryStat& st, Miss& miss) {
        miss = Miss::None;
        if (excluder_.excludedIn(frame.path, name)) {
            ++stats().excluded;
            miss = Miss::Excluded;
            return false;
        }
        int error = 0;
        if (!fs_.statAt(frame.fd.get(), name, st, error)) {
            ++(vanishedError(error) ? stats().vanished : stats().unreadable);
            miss = Miss::Gone;
            return false;
        }
        if (st.type == EntryType::Other) {
            ++stats().skipped;
            miss = Miss::Odd;
            return false;
        }
        ++stats().items;
        return true;
    }

    // The row for `name` in the open folder, or none as statEntry tells.
    std::optional<CrawledItem> entryRow(const Frame& frame, std::string name, Miss& miss) {
        EntryStat st;
        if (!statEntry(frame, name, st, miss)) return std::nullopt;
        return rowFor(std::move(name), st, frame.isPathDir);
    }

    void keepChild(Frame& frame, const CrawledItem& row) {
        if ((row.attrs & kAttrFolder) && !roots_.count(childPath(frame.path, row.name)))
            frame.children.push_back(row.name);
    }

    // The folder's entries from a fresh listing (whose names it takes), compared with what was
    // stored for the counts.
    std::vector<CrawledItem> relist(Frame& frame, std::vector<std::string>& names, const std::vector<CrawledItem>& stored) {
        std::unordered_map<std::string_view, const CrawledItem*> byName;
        for (const CrawledItem& item : stored) byName.emplace(item.name, &item);
        std::vector<CrawledItem> rows;
        rows.reserve(names.size());
        for (std::string& name : names) {
            Miss miss;
            std::optional<CrawledItem> row = entryRow(frame, std::move(name), miss);
            if (!row) continue;
            if (rows.size() == kMaxFolderEntries) {
                ++stats().skipped;
                continue;
            }
            const auto found = byName.find(row->name);
            if (found == byName.end()) ++stats().added;
            else if (!row->sameData(*found->second)) ++stats().updated;
            if (found != byName.end()) byName.erase(found);
            keepChild(frame, *row);
            rows.push_back(std::move(*row));
        }
        stats().removed += static_cast<int64_t>(byName.size());
        sortByName(rows);
        return rows;
    }

    // The stored entries stat'ed again (the folder itself did not change); none when one of them
    // is gone or unreadable, which asks for a fresh listing. When every entry is as stored (a
    // refresh that finds nothing changed), `stored` itself is moved out and `asStored` set: no
    // entry is copied.
    std::optional<std::vector<CrawledItem>> recheck(Frame& frame, std::vector<CrawledItem>& stored, bool& asStored) {
        std::vector<CrawledItem> rows;  // once an entry differs: the entries before it, then the rest as they are now
        bool differs = false;
        const auto startDiffering = [&](size_t at) {
            if (differs) return;
            differs = true;
            rows.reserve(stored.size());
            rows.assign(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(at));
        };
        CrawledItem now;
        for (size_t i = 0; i < stored.size(); ++i) {
            const CrawledItem& item = stored[i];
            Miss miss;
            EntryStat st;
            if (!statEntry(frame, item.name, st, miss)) {
                if (miss == Miss::Gone) return std::nullopt;
                ++stats().removed;
                startDiffering(i);
                continue;
            }
            fillRow(now, item.name, st, frame.isPathDir);
            if (!now.sameData(item)) {
                ++stats().updated;
                startDiffering(i);
            }
            if (!differs) {
                keepChild(frame, item);
                continue;
            }
            now.name = item.name;
            keepChild(frame, now);
            rows.push_back(now);
        }
        asStored = !differs;
        if (asStored) return std::move(stored);
        return rows;
    }

    bool loadDirsFrom(FolderCache& cache) {
        if (cache.generation >= 0 && cache.generation == readMetaInt(db_, kMetaGeneration).value_or(-2)) {
            dirs_ = std::move(cache.dirs);
            cache.generation = -1;
            return true;
        }
        cache.generation = -1;
        cache.dirs.clear();
        return writer_.loadDirs(dirs_).ok;
    }

    // True when `path` or a folder between it and `root` is excluded.
    bool excludedOnTheWay(std::string path, const std::string& root) const {
        for (; path != root; path = parentOf(path))
            if (excluder_.excluded(path, std::string_view(path).substr(path.rfind('/') + 1))) return true;
        return false;
    }

    static std::vector<std::string> sortedKeys(const std::unordered_map<std::string, StoredDir>& dirs) {
        std::vector<std::string> keys;
        keys.reserve(dirs.size());
        for (const auto& entry : dirs) keys.push_back(entry.first);
        std::sort(keys.begin(), keys.end());
        return keys;
    }

    static std::string parentOf(const std::string& path) {
        const size_t slash = path.rfind('/');
        return slash == 0 ? std::string("/") : path.substr(0, slash);
    }

    // The innermost root holding `path` (the path itself when it is one); empty when none does.
    std::string rootOf(const std::string& path) const {
        std::string best;
        for (const std::string& root : rootOrder_)
            if ((path == root || os::isStrictlyUnder(path, root)) && root.size() > best.size()) best = root;
        return best;
    }

    // The requests as folders whose parent the index knows (or roots), each once, ancestors
    // first, without those a subtree request above them already covers.
    std::deque<FolderRequest> plan(const std::vector<FolderRequest>& requests) const {
        std::map<std::string, bool> wanted;
        for (const FolderRequest& request : requests) {
            if (request.path.empty() || request.path[0] != '/') continue;
            std::string path = normalizePath(request.path);
            const std::string root = rootOf(path);
            if (root.empty() || excludedOnTheWay(path, root)) continue;
            bool subtree = request.subtree;
            while (path != root && !dirs_.count(parentOf(path))) {
                path = parentOf(path);
                subtree = true;
            }
            wanted[path] |= subtree;
            // The folder is also an entry of its parent, whose row keeps its times.
            if (path != root) wanted.try_emplace(parentOf(path), false);
        }
        std::deque<FolderRequest> queue;
        for (const auto& [path, subtree] : wanted) {
            bool covered = false;
            for (std::string up = path; !covered && up != rootOf(path);) {
                up = parentOf(up);
                const auto found = wanted.find(up);
                covered = found != wanted.end() && found->second;
            }
            if (!covered) queue.push_back({.path = path, .subtree = subtree});
        }
        return queue;
    }

    // Opens a requested folder: a root by its path, any other one by name inside its parent, so
    // its last step never follows a link.
    os::UniqueFd openRequested(const std::string& path, bool isRoot, uint64_t& parentDev, int& error) {
        if (isRoot) return fs_.openRoot(path, error);
        os::UniqueFd parent = fs_.openRoot(parentOf(path), error);
        EntryStat st;
        if (!parent.valid() || !fs_.statAt(parent.get(), "", st, error)) return os::UniqueFd();
        parentDev = st.dev;
        return fs_.openDir(parent.get(), path.substr(path.rfind('/') + 1), error);
    }

    void refreshOne(const FolderRequest& request, std::deque<FolderRequest>& queue) {
        const std::string& path = request.path;
        if (const auto known = dirs_.find(path); known != dirs_.end() && known->second.visited) return;
        const bool isRoot = roots_.count(path) != 0;
        if (!isRoot && !dirs_.count(parentOf(path))) return;  // its parent went in this run: nothing to attach to
        goneFolders_ = 0;
        Frame frame{.path = path, .name = isRoot ? path : path.substr(path.rfind('/') + 1)};
        int error = 0;
        uint64_t parentDev = 0;
        frame.fd = openRequested(path, isRoot, parentDev, error);
        EntryStat st;
        if (frame.fd.valid() && !fs_.statAt(frame.fd.get(), "", st, error)) frame.fd.reset();
        const bool avoided = frame.fd.valid() && !isRoot && st.dev != parentDev && !options_.enterAvoidedFs &&
                             [&] {
                                 int64_t type = 0;
                                 return fs_.fsType(frame.fd.get(), type, error) && isAvoidedFsType(type);
                             }();
        if (!frame.fd.valid() || avoided || (!isRoot && excluder_.excluded(path, frame.name))) {
            // Gone, replaced by a file, unreadable or not to be indexed: what the index knew of it
            // goes, and the parent's listing says what is there now.
            if (!frame.fd.valid()) ++(vanishedError(error) ? stats().vanished : stats().unreadable);
            removeBelow(path, true, {});
            if (!isRoot) queue.push_back({.path = parentOf(path), .subtree = false});
            return;
        }
        frame.dev = st.dev;
        frame.ino = st.ino;
        const auto parent = isRoot ? std::nullopt : std::optional<int64_t>(dirs_.at(parentOf(path)).id);
        if (!visitFolder(frame, parent, st)) {
            removeBelow(path, true, {});
            return;
        }
        // Known subfolders keep their rows unless the request asks for the whole subtree; new
        // ones are walked whole.
        std::unordered_set<std::string> kept;
        std::vector<std::string> walkNow;
        for (std::string& child : frame.children) {
            std::string childFull = childPath(path, child);
            if (!request.subtree && dirs_.count(childFull)) kept.insert(std::move(childFull));
            else walkNow.push_back(std::move(child));
        }
        foldersPending_ -= static_cast<int64_t>(frame.children.size() - walkNow.size());
        frame.children = std::move(walkNow);
        stack_.push_back(std::move(frame));
        walk();
        stack_.clear();
        // Only a subfolder that went can leave known folders behind below a refreshed one.
        if (request.subtree || goneFolders_ != 0) removeBelow(path, false, kept);
    }

    // Counts the subfolders the stored row had that the new one has not (gone, or no longer a
    // folder): what is below them must go too.
    void noteGoneFolders(const std::string& path, const std::vector<CrawledItem>& stored,
                         const std::vector<CrawledItem>& rows) {
        std::unordered_set<std::string_view> folders;
        for (const CrawledItem& row : rows)
            if (row.attrs & kAttrFolder) folders.insert(row.name);
        for (const CrawledItem& item : stored)
            if ((item.attrs & kAttrFolder) && !folders.count(item.name) && dirs_.count(childPath(path, item.name)))
                ++goneFolders_;
    }

    // Removes the known folders below `path` (and `path` itself when `self`) that this run did
    // not visit, except those inside a folder of `kept`.
    void removeBelow(const std::string& path, bool self, const std::unordered_set<std::string>& kept) {
        if (knownOrder_.empty()) knownOrder_ = sortedKeys(dirs_);  // once a run, and only when needed
        auto it = std::lower_bound(knownOrder_.begin(), knownOrder_.end(), path);
        for (; it != knownOrder_.end() && (*it == path || os::isStrictlyUnder(*it, path)) && writer_.ok(); ++it) {
            if (*it == path && !self) continue;
            const auto known = dirs_.find(*it);
            if (known == dirs_.end() || known->second.visited) continue;
            const bool inKept = std::any_of(kept.begin(), kept.end(), [&](const std::string& folder) {
                return *it == folder || os::isStrictlyUnder(*it, folder);
            });
            if (inKept) continue;
            writer_.deleteDir(known->second.id, known->second.count);
            changedDirs_.push_back(known->second.id);
            removedPaths_.push_back(*it);
            dirs_.erase(known);
        }
    }

    void removeUnvisited() {
        for (auto it = dirs_.begin(); it != dirs_.end() && writer_.ok();) {
            if (it->second.visited) {
                ++it;
                continue;
            }
            writer_.deleteDir(it->second.id, it->second.count);
            it = dirs_.erase(it);
        }
    }

    // Runs one source in the open batch; false (its failure kept as the crawl's) when it failed.
    bool syncSource(const CrawlSource& source) {
        SourceOutcome outcome = source.source->sync({.writer = writer_, .db = db_, .dirs = dirs_});
        stats().*source.items = outcome.items;
        stats().skipped += outcome.skipped;
        for (std::string& note : outcome.notes) stats().notes.push_back(std::move(note));
        if (!outcome.status) result_.status = outcome.status;
        return outcome.status.ok;
    }

    sqlite3* db_;
    const CrawlOptions& options_;
    CrawlFs& fs_;
    const CrawlHooks& hooks_;
    IndexWriter writer_;
    Excluder excluder_;
    std::unordered_set<std::string> pathDirs_, roots_;
    std::vector<std::string> rootOrder_;
    std::unordered_map<std::string, StoredDir> dirs_;
    std::vector<Frame> stack_;
    int64_t foldersPending_ = 0;
    int64_t batchStart_ = 0;
    bool crawlStarted_ = false;  // meta says the crawl is running
    std::vector<std::string> knownOrder_;    // folder refresh: the known folders' paths, sorted
    bool trackGone_ = false;                 // folder refresh: count subfolders that went
    int64_t goneFolders_ = 0;
    std::vector<std::string> removedPaths_;  // folder refresh: what it removed
    std::vector<int64_t> changedDirs_;       // rows written or removed
    CrawlResult result_;
};

}  // namespace

CrawlResult crawl(sqlite3* db, const CrawlOptions& options, CrawlFs& fs, const CrawlHooks& hooks) {
    return Crawler(db, options, fs, hooks).run();
}

CrawlResult refreshSource(sqlite3* db, const CrawlOptions& options, const CrawlHooks& hooks, const CrawlSource& source) {
    PosixCrawlFs unused;  // the walk's seam: a source reads its own files, never through the walk
    return Crawler(db, options, unused, hooks).runSource(source);
}

FolderRefreshResult refreshFolders(sqlite3* db, const CrawlOptions& options, CrawlFs& fs, const CrawlHooks& hooks,
                                   const std::vector<FolderRequest>& folders, FolderCache* cache) {
    return Crawler(db, options, fs, hooks).runFolders(folders, cache);
}

}  // namespace skimmer::index::store
