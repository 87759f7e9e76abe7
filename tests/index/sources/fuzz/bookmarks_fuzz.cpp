// Fuzz target: the Chromium Bookmarks reader and the rules that turn its records into items. Any
// input must be refused or read without crashing, in bounded time; every item made must carry an
// accepted http(s) URL and a name without control characters or invalid UTF-8.
#include "index/sources/browser_items.h"
#include "index/sources/browser_readers.h"
#include "os/utf8.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void checkName(std::string_view name) {
    if (name.empty() || name.size() > skimmer::index::store::kMaxBrowserUrl) std::abort();
    for (size_t at = 0; at < name.size();) {
        char32_t cp;
        const size_t length = skimmer::os::decodeUtf8(name, at, cp);
        if (length == 0 || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) std::abort();
        at += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skimmer::index::store;
    BrowserRead read;
    const Status status = parseChromiumBookmarks(std::string_view(reinterpret_cast<const char*>(data), size), read);
    if (!status.ok && (status.error.empty() || !read.bookmarks.empty())) std::abort();
    for (const BrowserVisit& visit : read.bookmarks) {
        if (visit.time < 0) std::abort();
        const auto row = browserItem(visit, Kind::Favorite);
        if (!row) continue;
        if (!acceptedBrowserUrl(*row->url) || row->display != row->url) std::abort();
        checkName(row->name);
    }
    return 0;
}
