#include "index/watch/held_index.h"

#include <sys/stat.h>

namespace skimmer::index::watch {

HeldIndex::Identity HeldIndex::identityNow() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return {};
    return {.dev = st.st_dev, .ino = st.st_ino, .exists = true};
}

store::Status HeldIndex::open() {
    index_ = {};
    // The identity is taken before and after opening: when the file was replaced in between, the
    // connection may hold either one, so it is opened again rather than trusted.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Identity before = identityNow();
        index_ = store::openIndexForWriting(path_);
        if (!index_.db) return index_.status;
        held_ = identityNow();
        if (held_.exists && held_ == before) return {};
        index_.db.reset();
    }
    return store::Status::failure("the index file " + path_.string() + " keeps being replaced", SQLITE_CANTOPEN);
}

store::Status HeldIndex::check(bool& reopened) {
    reopened = false;
    if (index_.db && identityNow() == held_) return {};
    reopened = true;
    return open();
}

}  // namespace skimmer::index::watch
