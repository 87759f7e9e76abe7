// A watcher over a private tree for the tests: the real inotify source behind a wrapper that can
// refuse watches past a limit and lose events on cue, a clock the test moves by hand, and the
// fresh crawl of the same tree that every state of the index is compared with.
#pragma once

#include "index/watch/watcher.h"
#include "tests/index/crawl/indexed_tree.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace skimmer::index::watch::test {

using store::test::makeDir;
using store::test::writeFile;

// inotify with two faults to inject: a watch limit (ENOSPC after `limit` watches) and lost events
// (everything waiting is dropped and one overflow event reported instead).
class FaultySource final : public WatchSource {
public:
    size_t limit = SIZE_MAX;
    bool loseEvents = false;
    int adds = 0;

    FaultySource() {
        int error = 0;
        EXPECT_TRUE(real_.open(error)) << error;
    }
    // As the kernel does, a folder already watched keeps its id at the limit: only a new watch
    // is refused.
    int add(const std::string& folder, int& error) override {
        ++adds;
        const int wd = real_.add(folder, error);
        if (wd >= 0 && !ids_.count(wd) && ids_.size() >= limit) {
            real_.remove(wd);
            error = ENOSPC;
            return -1;
        }
        if (wd >= 0) ids_.insert(wd);
        return wd;
    }
    void remove(int wd) override {
        ids_.erase(wd);
        real_.remove(wd);
    }
    bool read(std::vector<WatchEvent>& out, int& error) override {
        std::vector<WatchEvent> got;
        if (!real_.read(got, error)) return false;
        for (const WatchEvent& event : got)
            if (event.mask & kWatchIgnored) ids_.erase(event.wd);
        if (loseEvents && !got.empty()) {
            out.push_back({.wd = -1, .mask = kWatchOverflow, .name = ""});
            return true;
        }
        out.insert(out.end(), got.begin(), got.end());
        return true;
    }
    int pollFd() const override { return real_.pollFd(); }

private:
    InotifySource real_;
    std::set<int> ids_;
};

// The rows that differ between two states of the index, one per line ("" when they are equal).
inline std::string differences(const store::test::Snapshot& got, const store::test::Snapshot& want) {
    std::ostringstream out;
    for (const auto& [key, row] : got)
        if (auto other = want.find(key); other == want.end()) out << "extra " << key << "\n";
        else if (!(other->second == row)) out << "differs " << key << ": " << row << " want " << other->second << "\n";
    for (const auto& [key, row] : want)
        if (!got.count(key)) out << "missing " << key << "\n";
    return out.str();
}

class WatchFixture : public store::test::IndexedTree {
public:
    std::string outside = (home.root() / "outside").string();
    store::test::TestFs fs;
    FaultySource source;
    std::vector<std::string> said;
    std::vector<ExtraSource> extras;
    std::function<bool(sqlite3*)> rebuildNames;  // unset: no name sidecar
    WatchSettings settings{.coalesceMillis = 150, .pollMillis = 60000, .retryMillis = 2000, .maxPendingFolders = 20000};
    int64_t now = 1000;
    store::OpenedIndex index;
    std::unique_ptr<Watcher> watcher;

    // The indexed tree, and a folder outside it to move in from.
    void makeTree() {
        IndexedTree::makeTree();
        makeDir(outside);
        makeDir(outside + "/moved");
        makeDir(outside + "/moved/inner");
        writeFile(outside + "/moved/inner/song.mp3", "mp3");
    }

    void startWatcher() {
        index = store::openIndexForWriting(dbPath);
        ASSERT_TRUE(index.db) << index.status.error;
        WatchContext context{.db = index.db.get(), .options = &options, .fs = &fs, .source = &source,
                             .rebuildNames = rebuildNames,
                             .say = [this](const std::string& text) { said.push_back(text); },
                             .extras = extras, .settings = settings};
        watcher = std::make_unique<Watcher>(std::move(context));
        ASSERT_TRUE(watcher->start(now));
    }

    // Hands every waiting event to the watcher at the current time.
    void pump() {
        std::vector<WatchEvent> events;
        int error = 0;
        ASSERT_TRUE(source.read(events, error)) << error;
        watcher->take(events, now);
    }

    // Lets the coalescing window pass and runs the batch.
    void settle() {
        pump();
        now += settings.coalesceMillis;
        ASSERT_TRUE(watcher->runDue(now));
    }

    store::test::Snapshot rows() { return store::test::snapshot(index.db.get()); }

    // Empty when the index equals a fresh crawl, else what differs.
    std::string againstFresh() { return differences(rows(), fresh()); }
};

}  // namespace skimmer::index::watch::test
